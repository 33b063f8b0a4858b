#pragma once

#include "core/RowStore.h"

#include <array>
#include <vector>

namespace nw {

// The rows of a results list kept in memory: new rows at the top, sorted by File One on request.
// Front ends without a list of their own build on it.
class RowTable : public RowStore {
public:
    void clear() override {
        rows_.clear();
        files_.reset();
    }
    void setFiles(std::shared_ptr<const RowFiles> files) override { files_ = std::move(files); }
    void addAtTop(const ResultRow& row) override { rows_.push_back(row); }
    int count() const override { return int(rows_.size()); }
    const ResultRow& row(int row) const { return rows_[rows_.size() - size_t(row)]; }
    QString cell(int row, int column) const override {
        return rowCell(this->row(row), column, files_.get());
    }
    // The eight texts of a row; locale as numberLocale() gives it.
    std::array<QString, ColumnCount> cells(int row, const QLocale& locale) const {
        return rowCells(this->row(row), files_.get(), locale);
    }
    // Off changes nothing: new rows go on top of the rows as they stand.
    void setSorted(bool sorted) override;
    // Sorts by column, ascending as text; rows of equal text keep their order.
    void sortBy(int column);

private:
    std::vector<ResultRow> rows_; // bottom row first, so adding at the top is cheap
    std::shared_ptr<const RowFiles> files_;
};

} // namespace nw
