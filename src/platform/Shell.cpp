#include "platform/Shell.h"
#include "platform/PathCodec.h"

#include <QDebug>

namespace nw {

Service<Shell*>& shellService() {
    static Service<Shell*> shell;
    return shell;
}

bool openUrl(const QUrl& url) {
    if (Shell* current = shellService().get())
        return current->openUrl(url);
    qWarning().noquote() << "not opened:" << url.toString();
    return false;
}

namespace {

// The address of a file from its real bytes: QUrl::fromLocalFile would take the escapes of a
// name that is not UTF-8 for characters and send the UTF-8 of those. The delimiters a path may
// hold stay as they are, as QUrl::fromLocalFile leaves them.
QUrl fileUrl(const QString& path) {
#ifdef Q_OS_WIN
    return QUrl::fromLocalFile(path);
#else
    return QUrl::fromEncoded("file://" + encodePath(path).toPercentEncoding("/!$&'()*+,;=:@[]"),
                             QUrl::TolerantMode);
#endif
}

} // namespace

bool exploreFolder(const QString& path) {
    return openUrl(fileUrl(path));
}

bool openDocument(const QString& path) {
    return openUrl(fileUrl(path));
}

} // namespace nw
