#pragma once

#include "core/RowTexts.h"

#include <QString>

#include <memory>

namespace nw {

// The rows of a results list, as the scan driver and the auto-move pass read and add them.
// Row 1 is the top row, columns count from 0.
class RowStore {
public:
    virtual ~RowStore() = default;

    // Also lets go of the files.
    virtual void clear() = 0;
    // The files the rows added from now on refer to, kept as long as the rows.
    virtual void setFiles(std::shared_ptr<const RowFiles> files) = 0;
    virtual void addAtTop(const ResultRow& row) = 0;
    virtual int count() const = 0;
    virtual QString cell(int row, int column) const = 0;
    // On: sorted by File One, ascending; rows of equal text keep their order. Off: the rows keep
    // their order and new ones go on top.
    virtual void setSorted(bool sorted) = 0;
};

} // namespace nw
