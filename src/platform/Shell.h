#pragma once

#include "platform/ScopedService.h"

#include <QString>
#include <QUrl>

namespace nw {

// Folders, documents, web pages and mail addresses handed to the desktop. The window program
// installs the real one; tests record the calls instead of starting programs.
class Shell {
public:
    virtual ~Shell() = default;
    // False when nothing on the desktop took the address.
    virtual bool openUrl(const QUrl& url) = 0;
};

// The shell in use. Without any, nothing is opened and every call answers false.
Service<Shell*>& shellService();

bool openUrl(const QUrl& url);
// Shows a folder in the file manager.
bool exploreFolder(const QString& path);
// Opens a file with the desktop's default program for it.
bool openDocument(const QString& path);

} // namespace nw
