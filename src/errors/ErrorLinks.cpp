#include "errors/ErrorLinks.h"
#include "widgets/Links.h"
#include "widgets/MakerLinks.h"

namespace nw {

namespace {
const QString RuntimeTerm = QStringLiteral("Qt6");
}

QUrl errorReportUrl(const QString& exe, const ErrorFields& fields) {
    return encodedAddress(
        QStringLiteral("http://") + QLatin1String(maker::Host) +
        QStringLiteral("/sw_errors.php?a=") + addressValue(exe) + QStringLiteral("&v=") +
        addressValue(fields.version) + QStringLiteral("&f=") + addressValue(fields.form) +
        QStringLiteral("&s=") + addressValue(fields.function) + QStringLiteral("&n=") +
        addressValue(fields.number) + QStringLiteral("&d=") + addressValue(fields.description) +
        QStringLiteral("&o="));
}

QUrl errorMailUrl(const QString& exe, const ErrorFields& fields) {
    const QString subject = exe + QStringLiteral(" Error Number ") + fields.number;
    const QString body = exe + QStringLiteral(" v") + fields.version +
                         QStringLiteral(" has had an error.  Error is described as ''") +
                         fields.description +
                         QStringLiteral("''.  This error was generated on form ") + fields.form +
                         QStringLiteral(" in function ") + fields.function +
                         QStringLiteral(".  Please add any other comments you may have to this "
                                        "problem before sending this email.");
    return encodedAddress(QStringLiteral("mailto:") + QLatin1String(maker::ErrorMail) +
                          QStringLiteral("?subject=") + addressValue(subject) +
                          QStringLiteral("&body=") + addressValue(body));
}

QUrl errorSearchUrl(const QString& description) {
    // Blanks become "+", the query's own word separator; everything else is escaped.
    const QString words = QString::fromLatin1(QUrl::toPercentEncoding(description, " "))
                              .replace(QLatin1Char(' '), QLatin1Char('+'));
    return encodedAddress(QLatin1String(maker::SearchPage) + QStringLiteral("?hl=en&q=") +
                          RuntimeTerm + QLatin1Char('+') + words);
}

} // namespace nw
