#include "core/ScanLog.h"
#include "core/ErrorReport.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

namespace nw {

QString logPath(const QString& folder, const QString& name) {
    return fs::folderText(folder) + name + QStringLiteral(".txt");
}

ErrorInfo appendLogLine(const QString& folder, const QString& line, const QString& name) {
    QByteArray data = encodeText(line);
    data.append("\r\n", 2);
    return fs::appendToFile(logPath(folder, name), data);
}

bool WriteLog(const QString& folder, const QString& line, const QString& name) {
    if (const ErrorInfo error = appendLogLine(folder, line, name)) {
        ReportError(QStringLiteral("Global"), QStringLiteral("WriteLog"), error);
        return false;
    }
    return true;
}

} // namespace nw
