#pragma once

#include "platform/Shell.h"

namespace nw {

// QDesktopServices: the file manager, the default program of a file, the browser, the mail
// program.
class DesktopShell : public Shell {
public:
    bool openUrl(const QUrl& url) override;
};

} // namespace nw
