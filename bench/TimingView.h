#pragma once

#include "core/ScanView.h"

#include <QElapsedTimer>

#include <algorithm>

namespace nw::bench {

// A view that shows nothing but times the scan as a window would live it: the longest stretch
// between two yields (when a window could not handle its events), and, from the end of the walk
// to the end step, the longest stretch in which neither the progress nor a text changed.
class TimingView : public ScanView {
public:
    TimingView() { clock_.start(); }

    // The walk has ended: the stillness is timed from here.
    void setProgressRange(int, int) override {
        walked_ = true;
        lastMove_ = clock_.nsecsElapsed();
    }
    void setProgress(int value) override {
        if (value != progress_)
            moved();
        progress_ = value;
    }
    void setCaption(const QString&) override { moved(); }
    void setStatus(StatusPanel, const QString&) override { moved(); }
    void unlockControls(MatchMode) override {
        moved();
        walked_ = false; // the end step
    }
    void yield() override {
        const qint64 now = clock_.nsecsElapsed();
        longestYieldGapNs = std::max(longestYieldGapNs, now - lastYield_);
        lastYield_ = now;
    }

    qint64 longestYieldGapNs = 0;
    qint64 longestStillNs = 0;

private:
    void moved() {
        const qint64 now = clock_.nsecsElapsed();
        if (walked_)
            longestStillNs = std::max(longestStillNs, now - lastMove_);
        lastMove_ = now;
    }

    QElapsedTimer clock_;
    qint64 lastYield_ = 0;
    qint64 lastMove_ = 0;
    int progress_ = -1;
    bool walked_ = false;
};

} // namespace nw::bench
