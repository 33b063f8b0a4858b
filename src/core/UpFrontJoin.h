#pragma once

#include "core/CharKeys.h"
#include "core/GramIndex.h"
#include "core/PairCandidates.h"

#include <utility>
#include <vector>

namespace nw {

// Character matching between keys of different lengths with every pair found up front, on
// several threads: each key stands, as the longer key of a pair, under the leader of each of its
// gram groups, and each key, as the shorter one, walks the entries under its own grams.
class UpFrontJoin {
public:
    UpFrontJoin(const CharKeys& keys, const GramIndex& grams)
        : keys_(keys)
        , grams_(grams) {}
    // False when the pairs grow too large to hold or Stop is pressed; then the search runs file
    // by file instead.
    bool run(const Yielder& yield);
    // The active keys of other lengths that match key.
    void find(int key, std::vector<KeyMatch>& out) const;

private:
    const CharKeys& keys_;
    const GramIndex& grams_;
    std::vector<std::vector<std::pair<int, int>>> joinedWith_; // key -> (other key, score)
};

} // namespace nw
