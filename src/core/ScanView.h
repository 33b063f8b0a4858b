#pragma once

#include "core/ScanSettings.h"

#include <QString>

namespace nw {

enum class StatusPanel {
    FileName, // "fnamedata"
    Secs      // "secs"
};

// What the scan driver shows of its progress and asks of a window's controls. Every call does
// nothing unless a front end has a use for it.
class ScanView {
public:
    virtual ~ScanView() = default;

    virtual void lockControls() {}
    virtual void unlockControls(MatchMode) {}
    virtual void showCRCSkip(bool) {}
    // A CRC skip switches checksums off for the rest of the scan and after it.
    virtual void uncheckCRC() {}
    virtual void setScoreHeader(const QString&) {}

    virtual void setStatus(StatusPanel, const QString&) {}
    virtual void setCaption(const QString&) {}
    virtual void setProgressRange(int, int) {}
    virtual void setProgress(int) {}

    // Lets the window handle pending events; cheap when called often.
    virtual void yield() {}
};

} // namespace nw
