#pragma once

#include "core/ScanSettings.h"

#include <QString>

namespace nw {

enum class StatusPanel {
    FileName, // "fnamedata"
    Secs      // "secs"
};

// What the scan driver needs of a window. Rows count from 1, columns from 0.
class ScanView {
public:
    virtual ~ScanView() = default;

    virtual void lockControls() = 0;
    virtual void unlockControls(MatchMode mode) = 0;
    virtual void showCRCSkip(bool shown) = 0;
    // A CRC skip switches checksums off for the rest of the scan and after it.
    virtual void uncheckCRC() = 0;

    virtual void clearRows() = 0;
    virtual void addRowAtTop(const ResultRow& row) = 0;
    virtual int rowCount() const = 0;
    virtual QString rowCell(int row, int column) const = 0;
    QString rowFileOne(int row) const { return rowCell(row, ColFile1); }
    virtual void setRowsSorted(bool sorted) = 0;
    virtual void setScoreHeader(const QString& caption) = 0;

    virtual void setStatus(StatusPanel panel, const QString& text) = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual void setProgressRange(int minimum, int maximum) = 0;
    virtual void setProgress(int position) = 0;

    // Lets the window handle pending events; cheap when called often.
    virtual void yield() = 0;
};

} // namespace nw
