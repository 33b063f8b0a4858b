// The mode and option controls of the main window, and the scan they start.
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
#include "widgets/Links.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace nw {

void MainWindow::scanClick() {
    if (presenter_->scanning())
        return;
    runScan(settingsFromControls(), *results_, *presenter_);
    presenter_->showPending();
    resultsMenu_->chooseFirstRow();
}

ScanSettings MainWindow::settingsFromControls() const {
    ScanSettings settings;
    settings.scanFolder = scanPath();
    settings.baseFolder = folders_->path();
    settings.mode =
        levenshteinOption_->isChecked() ? MatchMode::Levenshtein : MatchMode::Characters;
    settings.percent = percentBox_->currentText();
    settings.groupSize = groupSizeBox_->currentText();
    settings.distance = distanceBox_->currentText();
    settings.repeatMode = repeatModeBox_->currentText();
    settings.ignoreExtensions = ignoreExtensionsBox_->isChecked();
    settings.checkCRC = checkCRCBox_->isChecked();
    settings.autoMove = autoMoveBox_->isChecked();
    settings.autoMoveDir = autoMoveFolder_->text();
    return settings;
}

void MainWindow::setModeControls(MatchMode mode) {
    const bool characters = mode == MatchMode::Characters;
    for (QWidget* widget :
         {static_cast<QWidget*>(percentBox_), static_cast<QWidget*>(percentLabel_),
          static_cast<QWidget*>(groupSizeBox_), static_cast<QWidget*>(groupSizeLabel_)})
        widget->setEnabled(characters);
    distanceBox_->setEnabled(!characters);
    distanceLabel_->setEnabled(!characters);
}

void MainWindow::applyModeRule() {
    const MatchMode mode =
        levenshteinOption_->isChecked() ? MatchMode::Levenshtein : MatchMode::Characters;
    setModeControls(mode);
    results_->setHeaderCaption(ColMatched, mode == MatchMode::Levenshtein
                                               ? QStringLiteral("Distance")
                                               : QStringLiteral("Matched"));
}

void MainWindow::autoMoveClick(bool checked) {
    handled("AutoMove_Click", [&] {
        if (!checked) {
            autoMoveFolder_->clear();
            resultsMenu_->showFileMenus(true);
            return;
        }
        autoMoveFolder_->setText(
            chooseFolder(true, QStringLiteral("Select location for move:"), scanPath()));
        if (autoMoveTargetRefused(folders_->path(), autoMoveFolder_->text())) {
            autoMoveFolder_->clear();
            showMessage(QStringLiteral("ERROR!!"), AutoMoveRefusedText, MessageButtons::Ok,
                        MessageIcon::Critical);
            resultsMenu_->showFileMenus(true);
        } else {
            resultsMenu_->showFileMenus(false);
            if (!autoMoveFolder_->text().isEmpty())
                autoMoveFolder_->setText(fs::folderText(autoMoveFolder_->text()));
        }
        // A root such as "/" is one character long and still a folder: only no folder at all
        // switches the option off.
        if (autoMoveFolder_->text().isEmpty()) {
            autoMoveBox_->setChecked(false);
            autoMoveFolder_->clear();
            resultsMenu_->showFileMenus(true);
        }
    });
}

void MainWindow::explainLevenshteinClick() {
    handled("Command1_Click", [&] { OpenURL(levenshteinPage()); });
}

} // namespace nw
