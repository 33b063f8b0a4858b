#include "core/PrefixFilter.h"

#include <algorithm>

namespace nw {

namespace {

// Prefix windows taken beyond those a match must hit at least once: each lets the filter ask
// one more hit of a candidate instead of taking every key that holds one rare gram.
constexpr int ExtraPrefixWindows = 6;

} // namespace

void PrefixFilter::prepare() {
    holders_.resize(grams_.gramCount());
    prefixes_.resize(grams_.gramCount());
    prefixNeed_.assign(size_t(keys_.count()), 0);
    sc_.size(size_t(keys_.count()), grams_.gramCount());
}

int PrefixFilter::prefixOf(int key, std::vector<int>& out) const {
    out.clear();
    const int base = keys_.windowsOf(key);
    const int need = keys_.minScore(base);
    if (need == INT_MAX)
        return 0;
    grams_.windowsByRarity(key, out);
    // A match finds at least need windows, so it misses at most base - need: of any
    // base - need + 1 + extra windows it finds at least extra + 1.
    const int misses = base - need;
    const int taken = std::min(base, misses + 1 + ExtraPrefixWindows);
    out.resize(size_t(taken));
    return taken - misses;
}

void PrefixFilter::activate(int key) {
    grams_.distinctOf(sc_, key, distinct_);
    for (int gram : distinct_)
        holders_.add(size_t(gram), key);
    prefixNeed_[size_t(key)] = prefixOf(key, sc_.prefix);
    for (int gram : sc_.prefix)
        prefixes_.add(size_t(gram), key);
}

void PrefixFilter::verifyAll(int key, std::vector<KeyMatch>& out) {
    const int len = keys_.length(key);
    for (int l : keys_.activeLengths()) {
        if (l == len)
            continue;
        for (int other : keys_.activeOfLength(l))
            grams_.verifyOther(sc_, key, other, out);
    }
}

void PrefixFilter::find(int key, std::vector<KeyMatch>& out) {
    if (keys_.group() == 0) {
        verifyAll(key, out); // empty windows are found everywhere
        return;
    }
    GramScratch& sc = sc_;
    const int len = keys_.length(key);
    grams_.markQuery(sc, key);

    const int needHits = prefixOf(key, sc.prefix);
    uint64_t work = 0;
    for (int gram : sc.prefix)
        work += uint64_t(grams_.keysWith(gram));
    if (work > uint64_t(keys_.active().count())) {
        verifyAll(key, out); // the lists are longer than the keys themselves
        return;
    }
    sc.touched.clear();
    // This key the longer one: the shorter key must hold enough grams of this key's prefix.
    for (int gram : sc.prefix)
        holders_.forEach(size_t(gram), [&](int other) {
            if (keys_.compactLength(other) < len)
                sc.hit(other);
        });
    for (int other : sc.touched)
        if (sc.hits(other) >= needHits)
            grams_.verifyOther(sc, key, other, out);
    // This key the shorter one: it must hold enough grams of the longer key's prefix.
    sc.touched.clear();
    grams_.distinctOf(sc, key, distinct_);
    for (int gram : distinct_)
        prefixes_.forEach(size_t(gram), [&](int other) {
            if (keys_.compactLength(other) > len)
                sc.hit(other);
        });
    for (int other : sc.touched)
        if (sc.hits(other) >= prefixNeed_[size_t(other)])
            grams_.verifyOther(sc, key, other, out);
}

} // namespace nw
