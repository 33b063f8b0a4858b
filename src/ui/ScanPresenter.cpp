#include "ui/ScanPresenter.h"
#include "core/Texts.h"
#include "ui/ResultsModel.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>

namespace nw {

namespace {
constexpr qint64 RowsEveryNs = 250'000'000;
}

ScanPresenter::ScanPresenter(Controls controls)
    : controls_(std::move(controls))
    , pendingCaption_(AppTitle) {
    clock_.start();
}

void ScanPresenter::lockControls() {
    scanning_ = true;
    for (QWidget* widget : controls_.locked)
        widget->setEnabled(false);
    controls_.exit->setEnabled(false);
    controls_.stop->setVisible(true);
    controls_.list->setEnabled(false);
    controls_.results->setHeld(true);
    // The first yield shows the locked window at once.
    nextEventsNs_ = 0;
}

void ScanPresenter::unlockControls(MatchMode mode) {
    for (QWidget* widget : controls_.locked)
        widget->setEnabled(true);
    controls_.exit->setEnabled(true);
    controls_.enableModeControls(mode);
    controls_.stop->setVisible(false);
    controls_.skipCRC->setVisible(false);
    controls_.list->setEnabled(true);
    controls_.results->setHeld(false);
    scanning_ = false;
    showPending();
}

void ScanPresenter::showCRCSkip(bool shown) {
    controls_.skipCRC->setVisible(shown);
}

void ScanPresenter::uncheckCRC() {
    controls_.checkCRC->setChecked(false);
}

void ScanPresenter::setScoreHeader(const QString& caption) {
    controls_.results->setHeaderCaption(ColMatched, caption);
}

void ScanPresenter::setStatus(StatusPanel panel, const QString& text) {
    pendingStatus_[panel == StatusPanel::FileName ? 0 : 1] = text;
    if (!scanning_)
        showPending();
}

void ScanPresenter::setCaption(const QString& caption) {
    pendingCaption_ = caption;
    if (!scanning_)
        showPending();
}

void ScanPresenter::setProgressRange(int minimum, int maximum) {
    // An empty range would turn the bar into a busy indicator that never stops.
    controls_.progress->setRange(minimum, qMax(maximum, minimum + 1));
}

void ScanPresenter::setProgress(int position) {
    pendingProgress_ = position;
    if (!scanning_)
        showPending();
}

void ScanPresenter::showPending() {
    if (controls_.window->windowTitle() != pendingCaption_)
        controls_.window->setWindowTitle(pendingCaption_);
    for (size_t i = 0; i < pendingStatus_.size(); ++i) {
        if (controls_.panels[i]->text() != pendingStatus_[i])
            controls_.panels[i]->setText(pendingStatus_[i]);
    }
    if (controls_.progress->value() != pendingProgress_)
        controls_.progress->setValue(pendingProgress_);
    // Drawing the list is what costs: new rows reach it a few times a second only.
    if (!scanning_ || clock_.nsecsElapsed() >= nextRowsNs_) {
        controls_.results->flush();
        nextRowsNs_ = clock_.nsecsElapsed() + RowsEveryNs;
    }
}

void ScanPresenter::yield() {
    // Called per entry, pair and block: mostly a look at the clock.
    if (clock_.nsecsElapsed() < nextEventsNs_)
        return;
    showPending();
    QCoreApplication::processEvents();
    nextEventsNs_ = clock_.nsecsElapsed() + eventIntervalNs_;
}

} // namespace nw
