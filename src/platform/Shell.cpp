#include "platform/Shell.h"

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

bool exploreFolder(const QString& path) {
    return openUrl(QUrl::fromLocalFile(path));
}

bool openDocument(const QString& path) {
    return openUrl(QUrl::fromLocalFile(path));
}

} // namespace nw
