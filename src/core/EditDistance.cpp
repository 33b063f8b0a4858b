#include "core/EditDistance.h"

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

// The ways of spending at most limit edits (limit 1 to 3) on the mismatches of a pair whose
// longer text is diff units longer, two bits per edit, first edit lowest: 1 skips a unit of the
// longer text, 2 one of the shorter, 3 one of each.
struct EditPlan {
    uint32_t steps;
    int count;
};

const std::vector<EditPlan>& plansFor(int limit, int diff) {
    static const auto all = [] {
        std::vector<std::vector<EditPlan>> plans(16);
        for (int count = 1; count <= 3; ++count) {
            int combinations = 1;
            for (int k = 0; k < count; ++k)
                combinations *= 3;
            for (int c = 0; c < combinations; ++c) {
                uint32_t steps = 0;
                int balance = 0;
                for (int k = 0, rest = c; k < count; ++k, rest /= 3) {
                    const uint32_t step = uint32_t(rest % 3) + 1;
                    steps |= step << (2 * k);
                    balance += step == 1 ? 1 : step == 2 ? -1 : 0;
                }
                if (balance < 0)
                    continue;
                for (int limit = count; limit <= 3; ++limit)
                    plans[size_t(limit * 4 + balance)].push_back({steps, count});
            }
        }
        return plans;
    }();
    return all[size_t(limit * 4 + diff)];
}

// Small limits: every way of spending the edits is tried along the two texts (mbleven). The
// shared start and end are cut off first, so the plans only walk the part that differs.
int plannedWithin(QStringView a, QStringView b, int limit) {
    while (!b.isEmpty() && a.front() == b.front()) {
        a = a.sliced(1);
        b = b.sliced(1);
    }
    while (!b.isEmpty() && a.back() == b.back()) {
        a.chop(1);
        b.chop(1);
    }
    if (b.isEmpty())
        return std::min(int(a.size()), limit + 1);
    const qsizetype n = a.size(), m = b.size();
    int best = limit + 1;
    for (const EditPlan& plan : plansFor(limit, int(n - m))) {
        qsizetype i = 0, j = 0;
        int cost = 0;
        uint32_t steps = plan.steps;
        for (int left = plan.count; i < n && j < m;) {
            if (a[i] == b[j]) {
                ++i;
                ++j;
                continue;
            }
            ++cost;
            if (left-- == 0)
                break;
            const uint32_t step = steps & 3;
            steps >>= 2;
            i += step & 1;
            j += step >> 1;
        }
        best = std::min<qsizetype>(best, cost + (n - i) + (m - j));
    }
    return std::min(best, limit + 1);
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
    if (limit == 0)
        return a == b ? 0 : 1;
    if (limit <= 3)
        return plannedWithin(a, b, limit);
    if (b.size() <= 64)
        return bitParallelWithin(PatternMasks(b), a, limit);
    return bandedWithin(a, b, limit);
}

} // namespace nw
