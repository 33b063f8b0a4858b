#pragma once

#include "core/CharKeys.h"
#include "core/GramIndex.h"
#include "core/PairCandidates.h"

#include <QElapsedTimer>

#include <memory>
#include <utility>
#include <vector>

namespace nw {

struct JoinPlan;

struct JoinedPair {
    int longer, shorter, score;
};

// Character matching between keys of different lengths with the pairs found ahead of the files
// that need them, on several threads: each key stands, as the longer key of a pair, under the
// leader of each of its gram groups, and each key, as the shorter one, walks the entries under
// its own grams. The keys are joined in blocks in id order, so that the scan's comparisons, and
// its progress, follow close behind instead of waiting for all of them.
class UpFrontJoin {
public:
    UpFrontJoin(const CharKeys& keys, const GramIndex& grams);
    ~UpFrontJoin();
    // Ranks the keys and files the longer ones under their leaders. False when the keys are too
    // long for the join or Stop is pressed.
    bool prepare(const Yielder& yield);
    // Joins blocks of keys until every key below limit is joined. False when the pairs grow too
    // large to hold or Stop is pressed; then the search runs file by file instead.
    bool joinBelow(int limit, const Yielder& yield);
    bool joined(int key) const { return key < joinedBelow_; }
    // The active keys of other lengths that match key, a joined key.
    void find(int key, std::vector<KeyMatch>& out) const;
    // Gives back the pairs once the search goes on file by file.
    void release();

private:
    const CharKeys& keys_;
    const GramIndex& grams_;
    std::unique_ptr<JoinPlan> plan_;
    void merge(const std::vector<std::vector<JoinedPair>>& results);

    // The pairs of each key, newest first: firstLink_[key], then each link's next; -1 ends.
    struct Link {
        int other, score, next;
    };
    std::vector<int> firstLink_;
    std::vector<Link> links_;
    std::vector<GramScratch> scratch_; // per join thread, kept
    int joinedBelow_ = 0;
    int blockKeys_;      // keys of the next block, grown or shrunk to keep blocks short
    uint64_t pairs_ = 0; // pairs held
};

} // namespace nw
