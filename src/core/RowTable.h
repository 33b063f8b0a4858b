#pragma once

#include "core/RowStore.h"

#include <vector>

namespace nw {

// The rows of a results list kept in memory: new rows at the top, sorted by File One on request.
// Front ends without a list of their own build on it.
class RowTable : public RowStore {
public:
    void clear() override { rows_.clear(); }
    void addAtTop(const ResultRow& row) override { rows_.push_back(row); }
    int count() const override { return int(rows_.size()); }
    const ResultRow& row(int row) const { return rows_[rows_.size() - size_t(row)]; }
    QString cell(int row, int column) const override {
        return this->row(row).cells[size_t(column)];
    }
    // Off changes nothing: new rows go on top of the rows as they stand.
    void setSorted(bool sorted) override;
    // Sorts by column, ascending as text; rows of equal text keep their order.
    void sortBy(int column);
    // All rows from the top down.
    std::vector<ResultRow> topDown() const { return {rows_.rbegin(), rows_.rend()}; }

private:
    std::vector<ResultRow> rows_; // bottom row first, so adding at the top is cheap
};

} // namespace nw
