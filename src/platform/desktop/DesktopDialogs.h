#pragma once

#include "platform/Dialogs.h"

namespace nw {

// QMessageBox and QFileDialog, owned by the active window.
class DesktopDialogs : public Dialogs {
public:
    MessageAnswer message(const QString& title, const QString& text, MessageButtons buttons,
                          MessageIcon icon, MessageAnswer defaultAnswer) override;
    QString browseFolder(const QString& prompt, bool allowNewFolder,
                         const QString& startFolder) override;
};

} // namespace nw
