#include "core/RowTable.h"
#include "core/RowOrder.h"

namespace nw {

void RowTable::setSorted(bool sorted) {
    if (sorted)
        sortBy(ColFile1);
}

void RowTable::sortBy(int column) {
    // Top down, as the rows stand; stored bottom first again afterwards.
    std::vector<int> order(rows_.size());
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = int(order.size() - 1 - k);
    sortRowOrder(order, rows_, column, false, files_.get());
    std::vector<ResultRow> sorted;
    sorted.reserve(rows_.size());
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        sorted.push_back(rows_[size_t(*it)]);
    rows_ = std::move(sorted);
}

} // namespace nw
