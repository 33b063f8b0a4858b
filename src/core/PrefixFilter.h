#pragma once

#include "core/CharKeys.h"
#include "core/GramIndex.h"
#include "core/PairCandidates.h"
#include "core/Postings.h"

#include <vector>

namespace nw {

// Character matching between keys of different lengths file by file, where the pairs are too
// many to find up front: a match holds enough of the longer key's rarest windows (its prefix),
// so the keys that hold too few are never verified.
class PrefixFilter {
public:
    PrefixFilter(const CharKeys& keys, const GramIndex& grams)
        : keys_(keys)
        , grams_(grams) {}
    // Once the gram index is built.
    void prepare();
    void activate(int key);
    // The active keys of other lengths that match key.
    void find(int key, std::vector<KeyMatch>& out);

private:
    // Window positions of key in rarity order, as many as the filter takes, and how many of
    // them any match must find in the other key.
    int prefixOf(int key, std::vector<int>& grams) const;
    void verifyAll(int key, std::vector<KeyMatch>& out);

    const CharKeys& keys_;
    const GramIndex& grams_;
    GramScratch sc_;
    std::vector<int> distinct_;
    Postings holders_;            // gram -> active keys that contain it
    Postings prefixes_;           // gram -> active keys, once per prefix window with that gram
    std::vector<int> prefixNeed_; // per key: prefix windows a shorter key must hold
};

} // namespace nw
