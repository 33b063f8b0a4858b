#include "platform/desktop/DesktopShell.h"

#include <QDesktopServices>

namespace nw {

bool DesktopShell::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace nw
