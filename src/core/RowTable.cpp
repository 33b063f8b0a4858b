#include "core/RowTable.h"
#include "core/Texts.h"

#include <algorithm>

namespace nw {

void RowTable::setSorted(bool sorted) {
    if (sorted)
        sortBy(ColFile1);
}

void RowTable::sortBy(int column) {
    std::vector<ResultRow> ordered = topDown();
    std::stable_sort(ordered.begin(), ordered.end(),
                     [column](const ResultRow& a, const ResultRow& b) {
                         return textLess(a.cells[size_t(column)], b.cells[size_t(column)]);
                     });
    rows_.assign(ordered.rbegin(), ordered.rend());
}

} // namespace nw
