// The mode and option controls of the main window.
#include "core/AutoMove.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "ui/ExternalPages.h"
#include "ui/FolderTree.h"
#include "ui/Handled.h"
#include "ui/MainWindow.h"
#include "widgets/Links.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>

namespace nw {

void MainWindow::showFileMenus(bool shown) {
    for (const char* name : {"mnuLarge", "mnuSmall"})
        control<QMenu>(name)->menuAction()->setVisible(shown);
}

void MainWindow::autoMoveClick(bool checked) {
    handled("AutoMove_Click", [&] {
        if (!checked) {
            autoMoveDir_->clear();
            showFileMenus(true);
            return;
        }
        autoMoveDir_->setText(Browse(true, QStringLiteral("Select location for move:")));
        if (autoMoveTargetRefused(dir1_->path(), autoMoveDir_->text())) {
            autoMoveDir_->clear();
            showMessage(QStringLiteral("ERROR!!"), AutoMoveRefusedText, MessageButtons::Ok,
                        MessageIcon::Critical);
            showFileMenus(true);
        } else {
            showFileMenus(false);
            if (!autoMoveDir_->text().isEmpty())
                autoMoveDir_->setText(fs::folderText(autoMoveDir_->text()));
        }
        // A root such as "/" is one character long and still a folder: only no folder at all
        // switches the option off.
        if (autoMoveDir_->text().isEmpty()) {
            autoMove_->setChecked(false);
            autoMoveDir_->clear();
            showFileMenus(true);
        }
    });
}

void MainWindow::command1Click() {
    handled("Command1_Click", [&] { OpenURL(levenshteinPage()); });
}

} // namespace nw
