#include "core/RowOrder.h"
#include "core/NameMatching.h"
#include "core/Texts.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <utility>

namespace nw {

namespace {

// A number two rows share only when their cells of column read the same, so that only one text
// per number need be made.
qint64 cellAtom(const ResultRow& row, int column, const RowFiles* files) {
    switch (column) {
    case ColFile1:
    case ColFPath1:
        return row.one;
    case ColFile2:
    case ColFPath2:
        return row.two;
    case ColFSize1:
        return files ? files->size(row.one) : -1;
    case ColFSize2:
        return files ? files->size(row.two) : -1;
    case ColMatched:
        if (row.flags & ResultRow::CrcMark)
            return std::numeric_limits<qint64>::min();
        return qint64(row.score) * 4 + ((row.flags & ResultRow::Distance) ? 2 : 0) +
               (Method(row.method) == Method::SameLength ? 1 : 0);
    case ColMethod:
        return (row.flags & ResultRow::CrcMark) ? -1 : row.method;
    }
    return 0;
}

// textLess folds the case of both texts at every comparison; folding each text once and then
// comparing code units orders the same way for all but surrogate pairs, and far faster.
QString foldedText(const QString& text) {
    QString folded(text.size(), Qt::Uninitialized);
    QChar* out = folded.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            *out++ = QChar(u >= 'A' && u <= 'Z' ? char16_t(u + 32) : u);
        else
            *out++ = QChar(char16_t(QChar::toCaseFolded(char32_t(u))));
    }
    return folded;
}

} // namespace

std::vector<int> rankTexts(const std::vector<QString>& texts) {
    std::vector<QString> folded;
    folded.reserve(texts.size());
    for (const QString& text : texts)
        folded.push_back(foldedText(text));
    std::vector<int> byText(texts.size());
    std::iota(byText.begin(), byText.end(), 0);
    std::sort(byText.begin(), byText.end(), [&](int a, int b) {
        const int c = folded[size_t(a)].compare(folded[size_t(b)]);
        return c != 0 ? c < 0 : texts[size_t(a)] < texts[size_t(b)];
    });
    const auto at = [&](size_t k) -> const QString& { return texts[size_t(byText[k])]; };
    for (size_t k = 1; k < byText.size(); ++k) {
        if (at(k - 1) != at(k) && !textLess(at(k - 1), at(k))) {
            // A text where the two orders part: sorted again the slow way.
            std::sort(byText.begin(), byText.end(),
                      [&](int a, int b) { return textLess(texts[size_t(a)], texts[size_t(b)]); });
            break;
        }
    }
    std::vector<int> rank(texts.size());
    int r = 0;
    for (size_t k = 0; k < byText.size(); ++k) {
        if (k > 0 && at(k - 1) != at(k))
            ++r;
        rank[size_t(byText[k])] = r;
    }
    return rank;
}

void sortRowOrder(std::vector<int>& order, const std::vector<ResultRow>& rows, int column,
                  bool descending, const RowFiles* files) {
    const size_t n = order.size();
    if (n < 2)
        return;
    // Slots of order grouped by their number; each group's text is made from its first row.
    std::vector<std::pair<qint64, int>> atoms(n);
    for (size_t k = 0; k < n; ++k)
        atoms[k] = {cellAtom(rows[size_t(order[k])], column, files), int(k)};
    std::sort(atoms.begin(), atoms.end());
    std::vector<QString> texts;
    std::vector<int> group(n);
    for (size_t k = 0; k < n; ++k) {
        if (k == 0 || atoms[k].first != atoms[k - 1].first)
            texts.push_back(rowCell(rows[size_t(order[size_t(atoms[k].second)])], column, files));
        group[size_t(atoms[k].second)] = int(texts.size()) - 1;
    }
    const std::vector<int> rank = rankTexts(texts);
    const int top = *std::max_element(rank.begin(), rank.end());

    // A counting sort by rank keeps equal texts in their order.
    std::vector<int> start(size_t(top) + 2, 0);
    std::vector<int> key(n);
    for (size_t k = 0; k < n; ++k) {
        const int r = rank[size_t(group[k])];
        key[k] = descending ? top - r : r;
        ++start[size_t(key[k]) + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<int> sorted(n);
    for (size_t k = 0; k < n; ++k)
        sorted[size_t(start[size_t(key[k])]++)] = order[k];
    order = std::move(sorted);
}

} // namespace nw
