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
    CharKeys keys_;
    SameLengthIndex sameLength_;
    GramIndex grams_;
    UpFrontJoin join_;
    PrefixFilter prefix_;
    bool joined_ = false;
};

CharCandidates::CharCandidates(const KeyTable& keys, const MatchNumbers& numbers,
                               const Yielder& yield)
    : keys_(keys, numbers)
    , sameLength_(keys_)
    , grams_(keys_)
    , join_(keys_, grams_)
    , prefix_(keys_, grams_) {
    if (keys_.group() <= 0) {
        sameLength_.build(yield);
        return;
    }
    // The same-length index is built beside the gram index and the join, on another core.
    Beside pieces([this] { sameLength_.build({}); });
    grams_.build(yield);
    prefix_.prepare();
    joined_ = !StopFlag && upFrontJoinService().get() && join_.run(yield);
    pieces.join();
}

void CharCandidates::find(int key, std::vector<KeyMatch>& out) {
    sameLength_.find(key, out);
    if (keys_.group() < 0)
        return;
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
