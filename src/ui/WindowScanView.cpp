// The main window as the scan driver sees it, and the scan's start.
#include "core/Flags.h"
#include "core/ScanDriver.h"
#include "ui/FolderTree.h"
#include "ui/MainWindow.h"
#include "ui/ResultsModel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

namespace nw {

namespace {
constexpr qint64 RowsEveryNs = 250'000'000;
}

void MainWindow::scanDirClick() {
    if (scanning_)
        return;
    runScan(settingsFromControls(), *results_, *this);
    showPending();
}

ScanSettings MainWindow::settingsFromControls() const {
    ScanSettings settings;
    settings.scanFolder = scanPath_;
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

void MainWindow::lockControls() {
    scanning_ = true;
    for (QWidget* widget : lockedWhileScanning_)
        widget->setEnabled(false);
    meExit_->setEnabled(false);
    stopMe_->setVisible(true);
    fListView_->setEnabled(false);
    results_->setHeld(true);
    // The first yield shows the locked window at once.
    nextEventsNs_ = 0;
}

void MainWindow::unlockControls(MatchMode mode) {
    for (QWidget* widget : lockedWhileScanning_)
        widget->setEnabled(true);
    meExit_->setEnabled(true);
    setModeControls(mode);
    stopMe_->setVisible(false);
    crcSkip_->setVisible(false);
    fListView_->setEnabled(true);
    results_->setHeld(false);
    scanning_ = false;
    showPending();
}

void MainWindow::showCRCSkip(bool shown) {
    crcSkip_->setVisible(shown);
}

void MainWindow::uncheckCRC() {
    chkCRC32_->setChecked(false);
}

void MainWindow::setScoreHeader(const QString& caption) {
    results_->setHeaderCaption(ColMatched, caption);
}

void MainWindow::setStatus(StatusPanel panel, const QString& text) {
    pendingStatus_[panel == StatusPanel::FileName ? 0 : 1] = text;
    if (!scanning_)
        showPending();
}

void MainWindow::setCaption(const QString& caption) {
    pendingCaption_ = caption;
    if (!scanning_)
        showPending();
}

void MainWindow::setProgressRange(int minimum, int maximum) {
    // An empty range would turn the bar into a busy indicator that never stops.
    progressBar1_->setRange(minimum, qMax(maximum, minimum + 1));
}

void MainWindow::setProgress(int position) {
    pendingProgress_ = position;
    if (!scanning_)
        showPending();
}

void MainWindow::showPending() {
    if (windowTitle() != pendingCaption_)
        setWindowTitle(pendingCaption_);
    for (size_t i = 0; i < pendingStatus_.size(); ++i) {
        if (panels_[i + 1]->text() != pendingStatus_[i])
            panels_[i + 1]->setText(pendingStatus_[i]);
    }
    if (progressBar1_->value() != pendingProgress_)
        progressBar1_->setValue(pendingProgress_);
    // Drawing the list is what costs: new rows reach it a few times a second only.
    if (!scanning_ || clock_.nsecsElapsed() >= nextRowsNs_) {
        results_->flush();
        nextRowsNs_ = clock_.nsecsElapsed() + RowsEveryNs;
    }
}

void MainWindow::yield() {
    // Called per entry, pair and block: mostly a look at the clock.
    if (clock_.nsecsElapsed() < nextEventsNs_)
        return;
    showPending();
    QCoreApplication::processEvents();
    nextEventsNs_ = clock_.nsecsElapsed() + eventIntervalNs_;
}

} // namespace nw
