#pragma once

#include "core/ScanView.h"

#include <QElapsedTimer>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeView;
class QWidget;

namespace nw {

class ResultsModel;

// A running scan as the window shows it: the controls locked, and texts, progress and new rows
// drawn at the yields that visit the event loop rather than at every call.
class ScanPresenter : public ScanView {
public:
    struct Controls {
        QWidget* window = nullptr;      // its title is the caption
        std::vector<QWidget*> locked;   // disabled while a scan runs
        QAction* exit = nullptr;        // disabled while a scan runs
        QPushButton* stop = nullptr;    // shown while a scan runs
        QPushButton* skipCRC = nullptr; // shown while checksums are made
        QCheckBox* checkCRC = nullptr;
        QTreeView* list = nullptr;
        ResultsModel* results = nullptr;
        std::array<QLabel*, 2> panels{}; // file name, secs
        QProgressBar* progress = nullptr;
        std::function<void(MatchMode)> enableModeControls;
    };

    explicit ScanPresenter(Controls controls);

    bool scanning() const { return scanning_; }
    // How long a scan runs between two visits of the event loop; 0 visits it at every yield.
    void setEventInterval(int milliseconds) { eventIntervalNs_ = qint64(milliseconds) * 1000000; }
    // Draws what waits to be shown.
    void showPending();

    void lockControls() override;
    void unlockControls(MatchMode mode) override;
    void showCRCSkip(bool shown) override;
    void uncheckCRC() override;
    void setScoreHeader(const QString& caption) override;
    void setStatus(StatusPanel panel, const QString& text) override;
    void setCaption(const QString& caption) override;
    void setProgressRange(int minimum, int maximum) override;
    void setProgress(int position) override;
    void yield() override;

private:
    Controls controls_;
    bool scanning_ = false;
    QString pendingCaption_;
    std::array<QString, 2> pendingStatus_;
    int pendingProgress_ = 0;
    QElapsedTimer clock_;
    qint64 nextEventsNs_ = 0;
    qint64 nextRowsNs_ = 0;
    qint64 eventIntervalNs_ = 20'000'000;
};

} // namespace nw
