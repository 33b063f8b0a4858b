#pragma once

#include <QString>
#include <QUrl>

namespace nw {

// A report as the error dialog's boxes hold it.
struct ErrorFields {
    QString software;
    QString version;
    QString form;
    QString function;
    QString number;
    QString description;
};

// The maker's error-report page with every field of the report.
QUrl errorReportUrl(const QString& exe, const ErrorFields& fields);
// A new mail to the maker's error address, subject and body filled in.
QUrl errorMailUrl(const QString& exe, const ErrorFields& fields);
// A web search for the description, with the term that names the runtime.
QUrl errorSearchUrl(const QString& description);

} // namespace nw
