#include "platform/Shell.h"

#include <QDebug>

namespace nw {

namespace {
Shell* current = nullptr;
}

Shell* setShell(Shell* shell) {
    Shell* previous = current;
    current = shell;
    return previous;
}

bool openUrl(const QUrl& url) {
    if (current)
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
