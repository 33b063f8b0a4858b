// The mode and option controls of the main window, and the scan they start.
#include "about/Links.h"
#include "core/AutoMove.h"
#include "core/ScanDriver.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "ui/ChooseFolder.h"
#include "ui/ExternalPages.h"
#include "ui/FolderTree.h"
#include "ui/Handled.h"
#include "ui/MainWindow.h"
#include "ui/ResultsMenuController.h"
#include "ui/ResultsModel.h"
#include "ui/ScanPresenter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace nw {

void MainWindow::scanDirClick() {
    if (presenter_->scanning())
        return;
    runScan(settingsFromControls(), *results_, *presenter_);
    presenter_->showPending();
}

ScanSettings MainWindow::settingsFromControls() const {
    ScanSettings settings;
    settings.scanFolder = scanPath();
    settings.baseFolder = dir1_->path();
    settings.mode = levenshtein_->isChecked() ? MatchMode::Levenshtein : MatchMode::Characters;
    settings.percent = mPercent_->currentText();
    settings.groupSize = grpSense_->currentText();
    settings.distance = levenshteinDist_->currentText();
    settings.repeatMode = fSense_->currentText();
    settings.ignoreExtensions = ignExtensions_->isChecked();
    settings.checkCRC = chkCRC32_->isChecked();
    settings.autoMove = autoMove_->isChecked();
    settings.autoMoveDir = autoMoveDir_->text();
    return settings;
}

void MainWindow::setModeControls(MatchMode mode) {
    const bool characters = mode == MatchMode::Characters;
    for (QWidget* widget : {static_cast<QWidget*>(mPercent_), static_cast<QWidget*>(lblChrMatch_),
                            static_cast<QWidget*>(grpSense_), static_cast<QWidget*>(lblGrpSense_)})
        widget->setEnabled(characters);
    levenshteinDist_->setEnabled(!characters);
    lblLDist_->setEnabled(!characters);
}

void MainWindow::applyModeRule() {
    const MatchMode mode =
        levenshtein_->isChecked() ? MatchMode::Levenshtein : MatchMode::Characters;
    setModeControls(mode);
    results_->setHeaderCaption(ColMatched, mode == MatchMode::Levenshtein
                                               ? QStringLiteral("Distance")
                                               : QStringLiteral("Matched"));
}

void MainWindow::autoMoveClick(bool checked) {
    handled("AutoMove_Click", [&] {
        if (!checked) {
            autoMoveDir_->clear();
            resultsMenu_->showFileMenus(true);
            return;
        }
        autoMoveDir_->setText(chooseFolder(true, QStringLiteral("Select location for move:")));
        if (autoMoveTargetRefused(dir1_->path(), autoMoveDir_->text())) {
            autoMoveDir_->clear();
            showMessage(QStringLiteral("ERROR!!"), AutoMoveRefusedText, MessageButtons::Ok,
                        MessageIcon::Critical);
            resultsMenu_->showFileMenus(true);
        } else {
            resultsMenu_->showFileMenus(false);
            if (!autoMoveDir_->text().isEmpty())
                autoMoveDir_->setText(fs::folderText(autoMoveDir_->text()));
        }
        // A root such as "/" is one character long and still a folder: only no folder at all
        // switches the option off.
        if (autoMoveDir_->text().isEmpty()) {
            autoMove_->setChecked(false);
            autoMoveDir_->clear();
            resultsMenu_->showFileMenus(true);
        }
    });
}

void MainWindow::command1Click() {
    handled("Command1_Click", [&] { OpenURL(levenshteinPage()); });
}

} // namespace nw
