#pragma once

#include "core/RowTexts.h"

#include <vector>

namespace nw {

// Sorts order, indexes into rows, by the texts of column in textLess order, descending when
// asked; rows of equal text keep their order. Each distinct text is made and ranked once and the
// rows are then ordered by rank, so a million rows take a fraction of a second.
void sortRowOrder(std::vector<int>& order, const std::vector<ResultRow>& rows, int column,
                  bool descending, const RowFiles* files);

// The rank of each text in textLess order, equal texts sharing a rank; ranks count from 0.
std::vector<int> rankTexts(const std::vector<QString>& texts);

} // namespace nw
