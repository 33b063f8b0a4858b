#include "core/UpFrontJoin.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace nw {

namespace {

// Keys a join thread takes at a time: small enough that the threads end close together, and the
// window's thread yields between its batches.
constexpr int JoinBatch = 256;
// A block of keys is joined before the files that need it are compared: short enough that the
// progress moves at least every few hundred milliseconds, long enough that starting the threads
// costs nothing. Block sizes follow the time blocks take; the pairs found do not depend on them.
constexpr qint64 BlockMillis = 150;
constexpr int FirstBlockKeys = 2 * JoinBatch;
// At most this many join threads, so that a scan leaves the rest of a large machine alone.
constexpr unsigned MaxJoinThreads = 4;
// Pairs the join may hold, per key and beyond: more take more memory than searching file by
// file, which then runs instead.
constexpr uint64_t JoinPairsPerKey = 8;
constexpr uint64_t JoinPairsBeyond = 4'000'000;

uint64_t gramBit(int gram) {
    return bitOfHash(mixHash(uint64_t(gram)));
}

struct Group {
    int leader;    // the group's rarest gram
    uint64_t bits; // gramBit of each of its grams
};

// The distinct grams of the key's windows split into misses + 1 groups, rarest first as leaders,
// the others dealt out in rarity order so that each group gets some rare ones. A shorter key
// that matches misses at most misses grams, so it holds one whole group. Gives misses, or -1
// when no key can match this one as the longer key.
int groupsOf(const CharKeys& keys, const GramIndex& index, int key, std::vector<int>& grams,
             std::vector<Group>& out) {
    out.clear();
    const int base = keys.windowsOf(key);
    const int need = keys.minScore(base);
    if (need == INT_MAX)
        return -1;
    index.windowsByRarity(key, grams);
    grams.erase(std::unique(grams.begin(), grams.end()), grams.end());
    // With fewer distinct grams than that, each is a group of its own: a match shares one.
    const size_t parts = std::min(size_t(base - need) + 1, grams.size());
    for (size_t k = 0; k < grams.size(); ++k) {
        if (k < parts)
            out.push_back({grams[k], 0});
        out[k % parts].bits |= gramBit(grams[k]);
    }
    return base - need;
}

// A longer key under the leader of one of its groups: a shorter key finds it through the one
// leader it holds, with the rest of that group to check beside it.
struct Entry {
    uint64_t bits;     // the group's grams
    int rank;          // of the longer key
    uint16_t shortest; // shortest key that can match it
    uint16_t misses;   // distinct grams it may miss
};

} // namespace

// What the join's threads read.
struct JoinPlan {
    // Keys ranked by length, so the keys of a range of lengths are one run of ranks.
    std::vector<int> byLength;
    std::vector<int> firstRank;          // of each length and longer
    std::vector<std::vector<Entry>> led; // per gram, the entries it leads, by rank
    // Longest key that a key of each length may be the shorter one for.
    std::vector<int> longestFor;
    // Per rank, every gram of the longer key, one bit per gram hash: each bit a shorter key
    // lacks is a missing gram.
    std::vector<uint64_t> allBits;
};

namespace {

// False when the keys are too long to rank by their compact lengths.
bool rankByLength(const CharKeys& keys, JoinPlan& plan) {
    const int count = keys.count();
    plan.byLength.assign(size_t(count), 0);
    for (int key = 0; key < count; ++key)
        plan.byLength[size_t(key)] = key;
    std::stable_sort(plan.byLength.begin(), plan.byLength.end(), [&keys](int a, int b) {
        return keys.compactLength(a) < keys.compactLength(b);
    });
    int longest = 0;
    for (int key = 0; key < count; ++key)
        longest = std::max(longest, keys.length(key));
    if (longest >= CompactMax)
        return false; // compact lengths would not tell such lengths apart

    plan.firstRank.assign(size_t(longest) + 2, count);
    for (int rank = count - 1; rank >= 0; --rank)
        plan.firstRank[size_t(keys.compactLength(plan.byLength[size_t(rank)]))] = rank;
    for (int l = longest; l >= 0; --l)
        plan.firstRank[size_t(l)] =
            std::min(plan.firstRank[size_t(l)], plan.firstRank[size_t(l) + 1]);
    return true;
}

// Each key as the longer one of a pair, under the leaders of its groups. False when Stop is
// pressed.
bool leadEntries(const CharKeys& keys, const GramIndex& index, JoinPlan& plan,
                 const Yielder& yield) {
    const int count = keys.count();
    plan.led.assign(index.gramCount(), {});
    plan.longestFor.assign(plan.firstRank.size() - 1, 0);
    plan.allBits.assign(size_t(count), 0);
    std::vector<int> grams;
    std::vector<Group> groups;
    for (int rank = 0; rank < count; ++rank) {
        if (stoppedWhileIndexing(rank, yield))
            return false;
        const int key = plan.byLength[size_t(rank)];
        const int misses = groupsOf(keys, index, key, grams, groups);
        if (misses < 0)
            continue; // too short to be the longer key of a match
        // A shorter key holds at most its length - g + 1 grams, each found in at most maxRepeat
        // windows: too short a key cannot reach the score.
        const int len = keys.length(key);
        const int need = keys.windowsOf(key) - misses;
        const int repeat = index.maxRepeat(key);
        const int shortest = std::clamp((need + repeat - 1) / repeat + keys.group() - 1, 0, len);
        plan.longestFor[size_t(shortest)] = std::max(plan.longestFor[size_t(shortest)], len);
        for (const Group& group : groups) {
            plan.led[size_t(group.leader)].push_back(
                {group.bits, rank, uint16_t(shortest), uint16_t(std::min(misses, CompactMax))});
            plan.allBits[size_t(rank)] |= group.bits;
        }
    }
    for (size_t l = 1; l < plan.longestFor.size(); ++l)
        plan.longestFor[l] = std::max(plan.longestFor[l], plan.longestFor[l - 1]);
    return true;
}

struct Found {
    int longer, shorter, score;
};

// The join's threads over one block of keys, each with its own arrays, taking keys in small
// batches as the shorter key of a pair.
class JoinWork {
public:
    JoinWork(const CharKeys& keys, const GramIndex& index, const JoinPlan& plan,
             const Yielder& yield, int from, int to, uint64_t budget)
        : keys_(keys)
        , index_(index)
        , plan_(plan)
        , yield_(yield)
        , budget_(budget)
        , next_(from)
        , to_(to) {}
    // The calling thread yields between its batches, so the window stays alive and Stop acts.
    void run(GramScratch& sc, std::vector<Found>& results, bool yielding) {
        if (sc.hitMarks.empty())
            sc.size(size_t(keys_.count()), index_.gramCount());
        std::vector<KeyMatch> found;
        for (;;) {
            // The window's thread takes smaller batches: some keys take long to join.
            const int batch = yielding ? JoinBatch / 8 : JoinBatch;
            const int from = next_.fetch_add(batch);
            if (yielding) {
                yieldTo(yield_);
                if (StopFlag)
                    abandoned_ = true;
            }
            if (from >= to_ || failed())
                return;
            for (int key = from; key < std::min(to_, from + batch); ++key)
                joinShorter(key, sc, found, results);
        }
    }
    uint64_t pairs() const { return pairs_; }
    // The other threads stop at their next batch.
    void abandon() { abandoned_ = true; }
    bool failed() const { return pairs_ > budget_ || abandoned_; }

private:
    void joinShorter(int key, GramScratch& sc, std::vector<KeyMatch>& found,
                     std::vector<Found>& results) {
        const int len = keys_.length(key);
        const int lo = plan_.firstRank[size_t(len) + 1];
        const int hi = plan_.firstRank[size_t(plan_.longestFor[size_t(len)]) + 1];
        if (lo >= hi)
            return;
        index_.markQuery(sc, key);
        sc.touched.clear();
        found.clear();
        int n = 0;
        const int* distinct = index_.distinctOf(key, n);
        uint64_t bits = 0;
        for (int k = 0; k < n; ++k)
            bits |= gramBit(distinct[k]);
        for (int k = 0; k < n; ++k) {
            const std::vector<Entry>& list = plan_.led[size_t(distinct[k])];
            auto it = std::lower_bound(list.begin(), list.end(), lo,
                                       [](const Entry& e, int r) { return e.rank < r; });
            for (; it != list.end() && it->rank < hi; ++it) {
                if ((bits & it->bits) != it->bits || it->shortest > len ||
                    !fewBitsMissing(plan_.allBits[size_t(it->rank)], bits, it->misses))
                    continue;
                sc.hit(it->rank);
                if (sc.hits(it->rank) == 1)
                    index_.verifyOther(sc, key, plan_.byLength[size_t(it->rank)], found);
            }
        }
        for (const KeyMatch& m : found)
            results.push_back({m.keyId, key, m.result.score});
        pairs_ += 2 * found.size();
    }

    const CharKeys& keys_;
    const GramIndex& index_;
    const JoinPlan& plan_;
    const Yielder& yield_;
    const uint64_t budget_;
    std::atomic<uint64_t> pairs_{0};
    std::atomic<int> next_;
    const int to_;
    std::atomic<bool> abandoned_{false};
};

void mergePairs(const std::vector<std::vector<Found>>& results,
                std::vector<std::vector<std::pair<int, int>>>& joinedWith) {
    for (const auto& part : results)
        for (const Found& f : part) {
            joinedWith[size_t(f.longer)].push_back({f.shorter, f.score});
            joinedWith[size_t(f.shorter)].push_back({f.longer, f.score});
        }
}

} // namespace

UpFrontJoin::UpFrontJoin(const CharKeys& keys, const GramIndex& grams)
    : keys_(keys)
    , grams_(grams)
    , blockKeys_(FirstBlockKeys) {}

UpFrontJoin::~UpFrontJoin() = default;

bool UpFrontJoin::prepare(const Yielder& yield) {
    plan_ = std::make_unique<JoinPlan>();
    if (!rankByLength(keys_, *plan_) || !leadEntries(keys_, grams_, *plan_, yield)) {
        plan_.reset();
        return false;
    }
    joinedWith_.assign(size_t(keys_.count()), {});
    return true;
}

bool UpFrontJoin::joinBelow(int limit, const Yielder& yield) {
    const int count = keys_.count();
    const long long budgetSet = joinPairBudgetService().get();
    const uint64_t budget =
        budgetSet >= 0 ? uint64_t(budgetSet) : JoinPairsPerKey * uint64_t(count) + JoinPairsBeyond;
    const int blockSet = joinBlockKeysService().get();
    if (blockSet > 0)
        blockKeys_ = blockSet;
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, MaxJoinThreads);
    while (joinedBelow_ < std::min(limit, count)) {
        const int to = int(std::min<int64_t>(count, int64_t(joinedBelow_) + blockKeys_));
        QElapsedTimer clock;
        clock.start();
        JoinWork work(keys_, grams_, *plan_, yield, joinedBelow_, to, budget - pairs_);
        std::vector<std::vector<Found>> results(threads);
        scratch_.resize(threads);
        std::vector<std::unique_ptr<Beside>> pool;
        for (unsigned t = 1; t < threads; ++t)
            pool.push_back(
                std::make_unique<Beside>([&, t] { work.run(scratch_[t], results[t], false); }));
        try {
            work.run(scratch_[0], results[0], true);
        } catch (...) {
            work.abandon();
            throw;
        }
        for (auto& t : pool)
            t->join();
        if (work.failed())
            return false;
        pairs_ += work.pairs();
        mergePairs(results, joinedWith_);
        joinedBelow_ = to;
        const qint64 took = clock.elapsed();
        if (blockSet > 0)
            continue;
        if (took < BlockMillis / 2 && blockKeys_ < count)
            blockKeys_ *= 2;
        else if (took > BlockMillis && blockKeys_ > JoinBatch)
            blockKeys_ /= 2;
    }
    return true;
}

void UpFrontJoin::release() {
    plan_.reset();
    joinedWith_ = {};
    scratch_ = {};
}

void UpFrontJoin::find(int key, std::vector<KeyMatch>& out) const {
    const int len = keys_.length(key);
    for (const auto& [other, score] : joinedWith_[size_t(key)]) {
        if (!keys_.active().has(other))
            continue;
        const int otherLen = keys_.length(other);
        const Method method = len > otherLen ? Method::File1Longer : Method::File2Longer;
        out.push_back({other, MatchResult{score, std::max(len, otherLen) - keys_.group(), method}});
    }
}

} // namespace nw
