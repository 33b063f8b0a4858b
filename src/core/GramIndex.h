#pragma once

#include "core/CharKeys.h"
#include "core/IndexTools.h"
#include "core/PairCandidates.h"
#include "core/Yield.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace nw {

// Gram ids take 16 bits, so that the grams of every window, the index's largest array, take
// little memory; more grams than that share ids, and pairs are then verified by their texts.
using GramId = uint16_t;
inline constexpr size_t GramIdCount = size_t(1) << 16;

// Per-thread working arrays of a query against the gram index.
struct GramScratch {
    // The query key's grams (stamped): how many of its windows have each.
    std::vector<uint32_t> queryStamp;
    std::vector<int> queryWindows;
    uint32_t query = 0;
    // Hits per candidate key while filtering, under the query's stamp in the upper half: one
    // memory access per hit.
    std::vector<uint64_t> hitMarks;
    std::vector<int> touched;
    std::vector<int> prefix;
    // Grams already seen while a key's distinct grams are taken.
    Stamps seen;

    void size(size_t keys, size_t grams) {
        hitMarks.assign(keys, 0);
        queryStamp.assign(grams, 0);
        queryWindows.assign(grams, 0);
        seen = Stamps(int(grams));
    }
    void hit(int other) {
        uint64_t& mark = hitMarks[size_t(other)];
        if (mark >> 32 != query) {
            mark = uint64_t(query) << 32;
            touched.push_back(other);
        }
        ++mark;
    }
    // Valid for the keys touched by this query.
    int hits(int other) const { return int(uint32_t(hitMarks[size_t(other)])); }
};

// The g-grams of every key (its substrings of the group size) as dense ids: all of them in
// order and the distinct ones, how many keys hold each, and the exact check of a pair of keys
// of different lengths that the searches of such keys share.
class GramIndex {
public:
    explicit GramIndex(const CharKeys& keys)
        : keys_(keys) {}
    // Needs a group size above 0.
    void build(const Yielder& yield);

    size_t gramCount() const { return keysWithGram_.size(); }
    int keysWith(int gram) const { return keysWithGram_[size_t(gram)]; }
    // Most windows of the key that share one gram.
    int maxRepeat(int key) const { return maxRepeat_[size_t(key)]; }
    // Windows of the key whose gram an earlier window has.
    int repeatedWindows(int key) const { return repeated_[size_t(key)]; }
    const GramId* gramsOf(int key) const { return grams_.data() + gramOffset_[size_t(key)]; }
    // The distinct grams of all the key's substrings, in order of first sight.
    void distinctOf(GramScratch& sc, int key, std::vector<int>& out) const;
    // The key's windows, rarest gram first.
    void windowsByRarity(int key, std::vector<int>& out) const;
    // The count rarest distinct grams of the key's windows, rarest first.
    void rarestWindows(int key, int count, std::vector<int>& out) const;
    // Rarest first, in one order for every key: gram ids are numbered in that order.
    static void sortByRarity(std::vector<int>& grams) { std::sort(grams.begin(), grams.end()); }

    // Marks the grams of the query key in sc, for verifyOther.
    void markQuery(GramScratch& sc, int key) const;
    // Adds other when it matches key, a key of another length marked in sc.
    void verifyOther(GramScratch& sc, int key, int other, std::vector<KeyMatch>& out) const;

private:
    void numberByRarity();

    const CharKeys& keys_;
    bool exact_ = false; // gram ids stand for exactly one text: verification by ids
    std::vector<uint64_t> gramOffset_;
    std::vector<GramId> grams_;
    std::vector<int> keysWithGram_;
    std::vector<uint16_t> maxRepeat_, repeated_;
};

} // namespace nw
