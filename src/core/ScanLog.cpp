#include "ScanLog.h"
#include "ErrorReport.h"
#include "FileSystem.h"
#include "PathCodec.h"

namespace nw {

QString logPath(const QString& folder, const QString& name) {
    return fs::folderText(folder) + name + QStringLiteral(".txt");
}

bool WriteLog(const QString& folder, const QString& line, const QString& name) {
    QByteArray data = encodeText(line);
    data.append("\r\n", 2);
    if (const ErrorInfo error = fs::appendToFile(logPath(folder, name), data)) {
        ReportError(QStringLiteral("Global"), QStringLiteral("WriteLog"), error);
        return false;
    }
    return true;
}

} // namespace nw
