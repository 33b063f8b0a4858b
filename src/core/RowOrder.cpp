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

// textLess folds the case of both texts, one code unit at a time, at every comparison. Sorting
// by four folded units at a time, most significant first, gives the same order and reads each
// text only as far as it takes. Only a surrogate, which textLess folds together with its
// neighbour, or a 0 unit, taken for the end, can part the two orders.
class FoldedQuads {
public:
    explicit FoldedQuads(const std::vector<QString>& texts)
        : texts_(texts) {}
    // Folded units 4 * depth on of a text, 0 past its end.
    quint64 quad(int text, int depth) {
        const QString& t = texts_[size_t(text)];
        quint64 key = 0;
        for (qsizetype k = qsizetype(depth) * 4; k < qsizetype(depth) * 4 + 4; ++k) {
            char16_t u = 0;
            if (k < t.size()) {
                u = t.at(k).unicode();
                if (u < 0x80) {
                    unsure_ = unsure_ || u == 0;
                    u = u >= 'A' && u <= 'Z' ? char16_t(u + 32) : u;
                } else {
                    unsure_ = unsure_ || QChar::isSurrogate(u);
                    u = char16_t(QChar::toCaseFolded(char32_t(u)));
                }
            }
            key = (key << 16) | u;
        }
        return key;
    }
    // A unit read so far may part the order from textLess's.
    bool unsure() const { return unsure_; }

private:
    const std::vector<QString>& texts_;
    bool unsure_ = false;
};

// Indexes of texts in textLess order, by radix steps of four folded units; texts that fold alike
// go by their code units, as textLess breaks such ties. unsure: as FoldedQuads::unsure().
std::vector<int> foldedOrder(const std::vector<QString>& texts, bool& unsure) {
    FoldedQuads folded(texts);
    struct Item {
        quint64 key;
        int text;
    };
    std::vector<Item> items(texts.size());
    for (size_t k = 0; k < items.size(); ++k)
        items[k].text = int(k);
    struct Range {
        size_t begin, end;
        int depth;
    };
    std::vector<Range> pending{{0, items.size(), 0}};
    while (!pending.empty()) {
        const Range r = pending.back();
        pending.pop_back();
        for (size_t k = r.begin; k < r.end; ++k)
            items[k].key = folded.quad(items[k].text, r.depth);
        std::sort(items.begin() + qsizetype(r.begin), items.begin() + qsizetype(r.end),
                  [](const Item& a, const Item& b) { return a.key < b.key; });
        for (size_t b = r.begin, e = b; b < r.end; b = e) {
            while (e < r.end && items[e].key == items[b].key)
                ++e;
            if (e - b < 2)
                continue;
            if ((items[b].key & 0xFFFF) != 0)
                pending.push_back({b, e, r.depth + 1});
            else
                std::sort(items.begin() + qsizetype(b), items.begin() + qsizetype(e),
                          [&](const Item& x, const Item& y) {
                              return texts[size_t(x.text)] < texts[size_t(y.text)];
                          });
        }
    }
    unsure = folded.unsure();
    std::vector<int> order(items.size());
    for (size_t k = 0; k < items.size(); ++k)
        order[k] = items[k].text;
    return order;
}

} // namespace

std::vector<int> rankTexts(const std::vector<QString>& texts) {
    bool unsure = false;
    std::vector<int> order = foldedOrder(texts, unsure);
    const auto at = [&](size_t k) -> const QString& { return texts[size_t(order[k])]; };
    for (size_t k = 1; unsure && k < order.size(); ++k) {
        if (at(k - 1) != at(k) && !textLess(at(k - 1), at(k))) {
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                return textLess(texts[size_t(a)], texts[size_t(b)]);
            });
            break;
        }
    }
    std::vector<int> rank(texts.size());
    int r = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && at(k - 1) != at(k))
            ++r;
        rank[size_t(order[k])] = r;
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
    const bool sizes = column == ColFSize1 || column == ColFSize2;
    const QLocale locale = numberLocale();
    std::vector<QString> texts;
    std::vector<int> group(n);
    for (size_t k = 0; k < n; ++k) {
        if (k == 0 || atoms[k].first != atoms[k - 1].first) {
            const ResultRow& row = rows[size_t(order[size_t(atoms[k].second)])];
            QString text =
                sizes ? sizeCellText(atoms[k].first, locale) : rowCell(row, column, files);
            // Neighbouring files mostly share their folder.
            if (texts.empty() || text != texts.back())
                texts.push_back(std::move(text));
        }
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
