#include "settings/ReadWrite.h"
#include "core/ErrorReport.h"
#include "core/Texts.h"
#include "platform/Dialogs.h"
#include "settings/IniFile.h"

namespace nw {

namespace {

constexpr qsizetype MaxWritten = 255;
// Windows read the value into a 255-character buffer, one of them for the terminating NUL.
constexpr qsizetype MaxRead = 254;

const QString Module = QStringLiteral("ReadWrite");

} // namespace

int WriteToFile(const QString& section, const QString& key, const QString& value,
                const QString& file) {
    if (key.size() > MaxWritten || value.size() > MaxWritten) {
        showMessage(
            AppTitle,
            QStringLiteral("Can't write more than %1 characters for key or value.").arg(MaxWritten),
            MessageButtons::Ok, MessageIcon::None);
        return -1;
    }
    if (const ErrorInfo error = IniFile(file).setValue(section, key, value)) {
        ReportError(Module, QStringLiteral("WriteToFile"), error);
        return 0;
    }
    return 1;
}

QString ReadFromFile(const QString& section, const QString& key, const QString& file) {
    ErrorInfo error;
    QString value = IniFile(file).value(section, key, {}, &error);
    if (error) {
        ReportError(Module, QStringLiteral("ReadFromFile"), error);
        return {};
    }
    if (value.size() > MaxRead) {
        // Never keep half of a surrogate pair.
        value.truncate(value.at(MaxRead - 1).isHighSurrogate() ? MaxRead - 1 : MaxRead);
    }
    return value;
}

int DeleteFromFile(const QString& section, const QString& key, const QString& file) {
    if (section.isEmpty() || key.isEmpty()) {
        showMessage(AppTitle,
                    QStringLiteral("Null string parameter not allowed for DeleteFromFile."),
                    MessageButtons::Ok, MessageIcon::None);
        return -1;
    }
    if (const ErrorInfo error = IniFile(file).remove(section, key)) {
        ReportError(Module, QStringLiteral("DeleteFromFile"), error);
        return 0;
    }
    return 1;
}

} // namespace nw
