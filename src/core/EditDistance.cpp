#include "EditDistance.h"

#include <algorithm>

namespace nw {

namespace {

// Longer texts: the matrix cells within limit of the diagonal, row by row.
int bandedWithin(QStringView a, QStringView b, int limit) {
    if (a.size() < b.size())
        std::swap(a, b);
    const int n = int(a.size());
    const int m = int(b.size());
    if (n - m > limit)
        return limit + 1;
    if (m == 0)
        return n;
    // Only cells within limit of the diagonal can lead to a distance within limit.
    const int big = limit + 1;
    std::vector<int> row(size_t(m) + 1), next(size_t(m) + 1);
    for (int j = 0; j <= m; ++j)
        row[size_t(j)] = std::min(j, big);
    for (int i = 1; i <= n; ++i) {
        const int lo = std::max(1, i - limit);
        const int hi = std::min(m, i + limit);
        next[0] = std::min(i, big);
        if (lo > 1)
            next[size_t(lo) - 1] = big;
        int best = next[0];
        const QChar ai = a[i - 1];
        for (int j = lo; j <= hi; ++j) {
            int v = row[size_t(j) - 1] + (ai == b[j - 1] ? 0 : 1);
            v = std::min(v, row[size_t(j)] + 1);
            v = std::min(v, next[size_t(j) - 1] + 1);
            next[size_t(j)] = std::min(v, big);
            best = std::min(best, next[size_t(j)]);
        }
        if (hi < m)
            next[size_t(hi) + 1] = big;
        if (best > limit)
            return big;
        row.swap(next);
    }
    return std::min(row[size_t(m)], big);
}

} // namespace

int bitParallelWithin(const PatternMasks& pattern, QStringView text, int limit) {
    const int m = pattern.size();
    const int n = int(text.size());
    if (m == 0)
        return std::min(n, limit + 1);
    const uint64_t last = uint64_t(1) << (m - 1);
    uint64_t pv = m == 64 ? ~uint64_t(0) : (uint64_t(1) << m) - 1;
    uint64_t mv = 0;
    int score = m;
    for (int j = 0; j < n; ++j) {
        const uint64_t eq = pattern.of(text[j].unicode());
        const uint64_t xv = eq | mv;
        const uint64_t xh = (((eq & pv) + pv) ^ pv) | eq;
        uint64_t ph = mv | ~(xh | pv);
        uint64_t mh = pv & xh;
        if (ph & last)
            ++score;
        else if (mh & last)
            --score;
        // The distance can fall by one per remaining text unit at most.
        if (score - (n - j - 1) > limit)
            return limit + 1;
        ph = (ph << 1) | 1;
        mh <<= 1;
        pv = mh | ~(xv | ph);
        mv = ph & xv;
    }
    return std::min(score, limit + 1);
}

int editDistanceWithin(QStringView a, QStringView b, int limit) {
    if (a.size() < b.size())
        std::swap(a, b);
    if (a.size() - b.size() > limit)
        return limit + 1;
    if (b.isEmpty())
        return std::min(int(a.size()), limit + 1);
    if (b.size() <= 64)
        return bitParallelWithin(PatternMasks(b), a, limit);
    return bandedWithin(a, b, limit);
}

} // namespace nw
