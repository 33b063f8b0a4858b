#include "core/CharCandidates.h"
#include "core/CharKeys.h"
#include "core/GramIndex.h"
#include "core/IndexTools.h"
#include "core/PrefixFilter.h"
#include "core/SameLengthIndex.h"
#include "core/UpFrontJoin.h"

#include <memory>

namespace nw {

Service<bool>& upFrontJoinService() {
    static Service<bool> allowed(true);
    return allowed;
}

Service<int>& joinBlockKeysService() {
    static Service<int> keys(0);
    return keys;
}

Service<long long>& joinPairBudgetService() {
    static Service<long long> pairs(-1);
    return pairs;
}

Service<int>& gramNumbersService() {
    static Service<int> numbers{int(GramIdCount)};
    return numbers;
}

Service<bool>& helperThreadsRefusedService() {
    static Service<bool> refused;
    return refused;
}

bool helperThreadsRefused() {
    return helperThreadsRefusedService().get();
}

namespace {

// Character matching: equal lengths by pieces that a match must share and then counting
// mismatches; other lengths through the keys' g-grams, all pairs found up front where they fit
// in memory, file by file with prefix filtering where not.
class CharCandidates : public PairCandidates {
public:
    CharCandidates(const KeyTable& keys, const MatchNumbers& numbers, const Yielder& yield);
    void find(int key, std::vector<KeyMatch>& out) override;
    void activate(int key) override;

private:
    // The pairs grew too many to hold: the keys compared so far go to the prefix filter, which
    // takes over.
    void searchFileByFile();

    CharKeys keys_;
    SameLengthIndex sameLength_;
    GramIndex grams_;
    UpFrontJoin join_;
    PrefixFilter prefix_;
    Yielder yield_;
    bool joined_ = false;
};

CharCandidates::CharCandidates(const KeyTable& keys, const MatchNumbers& numbers,
                               const Yielder& yield)
    : keys_(keys, numbers)
    , sameLength_(keys_)
    , grams_(keys_)
    , join_(keys_, grams_)
    , prefix_(keys_, grams_)
    , yield_(yield) {
    if (keys_.group() <= 0) {
        sameLength_.build(yield);
        return;
    }
    // The same-length index is built beside the gram index and the join, on another core.
    Beside pieces([this] { sameLength_.build({}); });
    grams_.build(yield);
    joined_ = !StopFlag && upFrontJoinService().get() && join_.prepare(yield);
    // The file-by-file search's lists only where it runs from the start.
    if (!joined_)
        prefix_.prepare();
    pieces.join();
}

void CharCandidates::searchFileByFile() {
    joined_ = false;
    join_.release();
    prefix_.prepare();
    // Keys become active in id order.
    for (int key = 0; key < keys_.active().bound(); ++key) {
        if (stoppedWhileIndexing(key, yield_))
            return;
        if (keys_.active().has(key))
            prefix_.activate(key);
    }
}

void CharCandidates::find(int key, std::vector<KeyMatch>& out) {
    sameLength_.find(key, out);
    if (keys_.group() < 0)
        return;
    if (joined_ && !join_.joined(key) && !join_.joinBelow(key + 1, yield_)) {
        if (StopFlag)
            return; // the scan ends before this file is compared
        searchFileByFile();
        if (StopFlag)
            return;
    }
    if (joined_)
        join_.find(key, out);
    else
        prefix_.find(key, out);
}

void CharCandidates::activate(int key) {
    keys_.activate(key);
    if (keys_.group() > 0 && !joined_)
        prefix_.activate(key);
}

} // namespace

std::unique_ptr<PairCandidates>
makeCharCandidates(const KeyTable& keys, const MatchNumbers& numbers, const Yielder& yield) {
    return std::make_unique<CharCandidates>(keys, numbers, yield);
}

} // namespace nw
