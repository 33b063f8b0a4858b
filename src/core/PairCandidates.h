#pragma once

#include "core/KeyTable.h"
#include "core/NameMatching.h"
#include "core/Yield.h"
#include "platform/ScopedService.h"

#include <memory>
#include <vector>

namespace nw {

struct KeyMatch {
    int keyId;
    MatchResult result;
};

// An index over the keys of the files compared so far that finds, for the key of the next file,
// every earlier key whose name verdict is true, without comparing it with all of them. The
// filters only ever leave out keys that cannot match; each key found is verified exactly.
class PairCandidates {
public:
    virtual ~PairCandidates() = default;

    // Earlier keys (those activated) that match key as file one, with their results. The key
    // itself is among them when it was activated before.
    virtual void find(int key, std::vector<KeyMatch>& out) = 0;
    // The key's first file has been compared: from now on it is an earlier key.
    virtual void activate(int key) = 0;

    // Needs valid percentage and distance. Without a usable group size only keys of equal
    // length are found: the scan ends at the first pair of other lengths anyway.
    // Building the index may take a while: it yields now and then and gives up when StopFlag
    // is raised.
    static std::unique_ptr<PairCandidates> make(const KeyTable& keys, MatchMode mode,
                                                const MatchNumbers& numbers,
                                                const Yielder& yield = {});
};

// Whether character matching may find all pairs of different lengths up front (on by default);
// off, every file is searched on its own, as when the pairs are too many to hold. For tests.
Service<bool>& upFrontJoinService();

// Keys per block of the up-front join (0: blocks as long as a few hundred milliseconds), and the
// pairs it may hold (-1: as many as the keys allow). For tests.
Service<int>& joinBlockKeysService();
Service<long long>& joinPairBudgetService();

// Distinct grams numbered one each before the rest share numbers (65,536, what a gram number
// holds); fewer make the sharing, and the verification by texts it brings, testable.
Service<int>& gramNumbersService();

// Makes the scan wait for the searches of new keys that distance mode makes ahead of it, instead
// of searching such a key itself when its search is not done yet. For tests.
Service<bool>& waitForAheadService();

// Makes every helper thread fail to start, as in a process that may start no more; the search
// then runs on the scan's thread alone. For tests.
Service<bool>& helperThreadsRefusedService();

} // namespace nw
