#pragma once

#include "core/ScanSettings.h"

#include <QString>

namespace nw {

// The rows of a results list, as the scan driver and the auto-move pass read and add them.
// Row 1 is the top row, columns count from 0.
class RowStore {
public:
    virtual ~RowStore() = default;

    virtual void clear() = 0;
    virtual void addAtTop(const ResultRow& row) = 0;
    virtual int count() const = 0;
    virtual QString cell(int row, int column) const = 0;
    // On: sorted by File One, ascending; rows of equal text keep their order. Off: the rows keep
    // their order and new ones go on top.
    virtual void setSorted(bool sorted) = 0;
};

} // namespace nw
