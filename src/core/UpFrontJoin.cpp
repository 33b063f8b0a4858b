#include "core/UpFrontJoin.h"

#include <algorithm>
#include <atomic>
#include <bit>
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

// Longer keys are filed by how many of their windows repeat an earlier gram, 0 to Classes - 2,
// and more in the last class: few repeats bound the grams a match shares from below, so a
// shorter key looks under few of its grams, and the lengths it can match from above.
constexpr int Classes = 8;

uint64_t gramBit(int gram) {
    return bitOfHash(mixHash(uint64_t(gram)));
}

} // namespace

// What the join's threads read. A longer key is filed under each of its misses + 1 rarest grams:
// of the grams both keys of a match hold, the rarest is among those, since every rarer one is
// missing from the shorter key, and a shorter key finds the longer one under it.
struct JoinPlan {
    // Keys ranked by length, so the keys of a range of lengths are one run of ranks.
    std::vector<int> byLength;
    // The buckets: the longer keys filed under gram g in class c, by length, are entries
    // at[b] to at[b + 1] with b = g * Classes + c; each entry the key and gramBit of each of
    // its grams, apart so that a walk reads the bits alone.
    std::vector<uint32_t> at;
    std::vector<uint64_t> bits;
    std::vector<int> longer;
    // Each bucket's lengths, from lengths[lengthsAt[b]] on, and the entry where each begins:
    // the entries of a range of lengths are found by a search of a few lengths.
    std::vector<uint32_t> lengthsAt;
    std::vector<uint16_t> lengths;
    std::vector<uint32_t> lengthStarts;
    // Per key, the shortest key that can match it as the longer one.
    std::vector<uint16_t> shortest;
    // Per length, the least score of a longer key and the grams it may miss; INT_MAX and 0
    // when it cannot match.
    std::vector<int> needOf, missesOf;
    // Per class, the longest key that a key of each length may be the shorter one for.
    std::vector<int> longestFor[Classes];
    std::vector<uint64_t> gramBits; // gramBit of each gram
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

    plan.needOf.resize(size_t(longest) + 2);
    plan.missesOf.resize(size_t(longest) + 2);
    for (size_t l = 0; l < plan.needOf.size(); ++l) {
        const int base = int(l) - keys.group();
        plan.needOf[l] = keys.minScore(base);
        plan.missesOf[l] = plan.needOf[l] == INT_MAX ? 0 : base - plan.needOf[l];
    }
    return true;
}

int classOf(const GramIndex& index, int key) {
    return std::min(index.repeatedWindows(key), Classes - 1);
}

// The shortest key that can match key as the longer one. A shorter key holds at most its
// length - g + 1 grams. Those of the longer key are found in at most maxRepeat windows each, and
// k of them in at most k plus its repeated windows: too short a key cannot reach the score.
int shortestFor(const CharKeys& keys, const GramIndex& index, int key, int need) {
    const int repeat = index.maxRepeat(key);
    const int fewest = std::max((need + repeat - 1) / repeat, need - index.repeatedWindows(key));
    return std::clamp(fewest + keys.group() - 1, 0, keys.length(key));
}

// Files each key as the longer one of a pair: counted first, then filed in rank order. False
// when Stop is pressed or the entries are too many to number.
bool fileLongerKeys(const CharKeys& keys, const GramIndex& index, JoinPlan& plan,
                    const Yielder& yield) {
    const int count = keys.count();
    for (auto& longest : plan.longestFor)
        longest.assign(plan.needOf.size() - 1, 0);
    plan.shortest.assign(size_t(count), 0);
    plan.gramBits.resize(index.gramCount());
    for (size_t g = 0; g < plan.gramBits.size(); ++g)
        plan.gramBits[g] = gramBit(int(g));
    // The grams each key is filed under, by rank, kept from counting to filing.
    std::vector<uint32_t> filedAt(size_t(count) + 1, 0);
    std::vector<int> filed;
    std::vector<uint64_t> bitsOf(size_t(count), 0); // by rank
    std::vector<uint64_t> at(index.gramCount() * Classes + 1, 0);
    std::vector<int> grams;
    for (int rank = 0; rank < count; ++rank) {
        if (stoppedWhileIndexing(rank, yield))
            return false;
        filedAt[size_t(rank)] = uint32_t(filed.size());
        const int key = plan.byLength[size_t(rank)];
        const int len = keys.length(key);
        const int need = plan.needOf[size_t(len)];
        if (need == INT_MAX)
            continue; // too short to be the longer key of a match
        const int cls = classOf(index, key);
        const int shortest = shortestFor(keys, index, key, need);
        plan.shortest[size_t(key)] = uint16_t(shortest);
        int& longest = plan.longestFor[cls][size_t(shortest)];
        longest = std::max(longest, len);
        const GramId* windows = index.gramsOf(key);
        for (int k = 0; k < keys.windowsOf(key); ++k)
            bitsOf[size_t(rank)] |= plan.gramBits[windows[k]];
        index.rarestWindows(key, plan.missesOf[size_t(len)] + 1, grams);
        for (int g : grams) {
            ++at[size_t(g) * Classes + size_t(cls) + 1];
            filed.push_back(g);
        }
        if (filed.size() > UINT32_MAX)
            return false;
    }
    filedAt[size_t(count)] = uint32_t(filed.size());
    for (size_t b = 1; b < at.size(); ++b)
        at[b] += at[b - 1];
    plan.bits.resize(filed.size());
    plan.longer.resize(filed.size());
    for (int rank = 0; rank < count; ++rank) {
        if (stoppedWhileIndexing(rank, yield))
            return false;
        const int key = plan.byLength[size_t(rank)];
        const uint32_t from = filedAt[size_t(rank)], to = filedAt[size_t(rank) + 1];
        if (from == to)
            continue;
        const size_t cls = size_t(classOf(index, key));
        for (uint32_t k = from; k < to; ++k) {
            const uint64_t e = at[size_t(filed[k]) * Classes + cls]++;
            plan.bits[e] = bitsOf[size_t(rank)];
            plan.longer[e] = key;
        }
    }
    // Filing moved each start to the next bucket's.
    plan.at.assign(at.size(), 0);
    for (size_t b = 1; b < at.size(); ++b)
        plan.at[b] = uint32_t(at[b - 1]);
    plan.lengthsAt.assign(at.size(), 0);
    for (size_t b = 0; b + 1 < at.size(); ++b) {
        plan.lengthsAt[b] = uint32_t(plan.lengths.size());
        int last = -1;
        for (uint32_t e = plan.at[b]; e < plan.at[b + 1]; ++e) {
            const int len = keys.compactLength(plan.longer[e]);
            if (len != last) {
                plan.lengths.push_back(uint16_t(last = len));
                plan.lengthStarts.push_back(e);
            }
        }
    }
    plan.lengthsAt.back() = uint32_t(plan.lengths.size());
    for (auto& longest : plan.longestFor)
        for (size_t l = 1; l < longest.size(); ++l)
            longest[l] = std::max(longest[l], longest[l - 1]);
    return true;
}

// The join's threads over one block of keys, each with its own arrays, taking keys in small
// batches as the shorter key of a pair.
// Entries a walk filters at a time.
constexpr uint32_t WalkChunk = 256;

// Which of n entries' bits miss at most misses of held: their indexes, in order, in kept.
[[gnu::always_inline]] inline size_t fewMissingIn(const uint64_t* bits, size_t n, uint64_t held,
                                                  int misses, uint32_t* kept) {
    size_t count = 0;
    for (size_t e = 0; e < n; ++e)
        if (std::popcount(bits[e] & ~held) <= misses)
            kept[count++] = uint32_t(e);
    return count;
}

using FewMissing = size_t (*)(const uint64_t*, size_t, uint64_t, int, uint32_t*);

size_t fewMissingPlain(const uint64_t* bits, size_t n, uint64_t held, int misses, uint32_t* kept) {
    return fewMissingIn(bits, n, held, misses, kept);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// Most of the join's time is this count: one instruction where the processor has it.
[[gnu::target("popcnt")]] size_t fewMissingCounted(const uint64_t* bits, size_t n, uint64_t held,
                                                   int misses, uint32_t* kept) {
    return fewMissingIn(bits, n, held, misses, kept);
}
#endif

FewMissing pickFewMissing() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (__builtin_cpu_supports("popcnt"))
        return fewMissingCounted;
#endif
    return fewMissingPlain;
}

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
    void run(GramScratch& sc, std::vector<JoinedPair>& results, bool yielding) {
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
                     std::vector<JoinedPair>& results) {
        const int len = keys_.length(key);
        int longest[Classes];
        bool any = false;
        for (int c = 0; c < Classes; ++c) {
            longest[c] = plan_.longestFor[c][size_t(len)];
            any = any || longest[c] > len;
        }
        if (!any)
            return;
        index_.markQuery(sc, key);
        sc.touched.clear();
        found.clear();
        std::vector<int>& grams = sc.prefix;
        index_.distinctOf(sc, key, grams);
        GramIndex::sortByRarity(grams);
        const int n = int(grams.size());
        uint64_t bits = 0;
        for (int g : grams)
            bits |= plan_.gramBits[size_t(g)];
        const int need = plan_.needOf[size_t(len) + 1];
        for (int k = 0; k < n; ++k) {
            const size_t bucket = size_t(grams[size_t(k)]) * Classes;
            for (int c = 0; c < Classes; ++c) {
                // A longer key of class c < Classes - 1 holds at least need - c distinct grams
                // that this key holds too, need growing with its length: the rarest of them is
                // among the first n - (need - c) + 1 grams here, since the grams before it are
                // not the longer key's.
                const bool bounded = c < Classes - 1;
                if (longest[c] <= len || (bounded && need != INT_MAX && need - c > n - k))
                    continue;
                const uint16_t* lengths = plan_.lengths.data();
                const uint32_t first = plan_.lengthsAt[bucket + size_t(c)];
                const uint32_t last = plan_.lengthsAt[bucket + size_t(c) + 1];
                uint32_t from = uint32_t(
                    std::upper_bound(lengths + first, lengths + last, uint16_t(len)) - lengths);
                // The lengths that can match, one run of entries.
                uint32_t to = from;
                while (to != last && lengths[to] <= longest[c] &&
                       !(bounded && plan_.needOf[lengths[to]] - c > n - k))
                    ++to;
                if (from == to)
                    continue;
                walk(plan_.lengthStarts[from],
                     to != last ? plan_.lengthStarts[to] : plan_.at[bucket + size_t(c) + 1],
                     plan_.missesOf[lengths[to - 1]], len, bits, key, sc, found);
            }
        }
        for (const KeyMatch& m : found)
            results.push_back({m.keyId, key, m.result.score});
        pairs_ += 2 * found.size();
    }

    void walk(uint32_t from, uint32_t to, int misses, int len, uint64_t bits, int key,
              GramScratch& sc, std::vector<KeyMatch>& found) const {
        uint32_t kept[WalkChunk];
        for (; from < to; from += std::min<uint32_t>(to - from, WalkChunk)) {
            const size_t n =
                fewMissing_(plan_.bits.data() + from, std::min<uint32_t>(to - from, WalkChunk),
                            bits, misses, kept);
            for (size_t k = 0; k < n; ++k) {
                const uint32_t e = from + kept[k];
                const int other = plan_.longer[e];
                // The run's longest length misses the most; each key its own.
                if (plan_.shortest[size_t(other)] > len ||
                    !fewBitsMissing(plan_.bits[e], bits,
                                    plan_.missesOf[size_t(keys_.compactLength(other))]))
                    continue;
                sc.hit(other);
                if (sc.hits(other) == 1)
                    index_.verifyOther(sc, key, other, found);
            }
        }
    }

    const FewMissing fewMissing_ = pickFewMissing();
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

} // namespace

void UpFrontJoin::merge(const std::vector<std::vector<JoinedPair>>& results) {
    auto add = [this](int key, int other, int score) {
        links_.push_back({other, score, firstLink_[size_t(key)]});
        firstLink_[size_t(key)] = int(links_.size()) - 1;
    };
    for (const auto& part : results)
        for (const JoinedPair& f : part) {
            add(f.longer, f.shorter, f.score);
            add(f.shorter, f.longer, f.score);
        }
}

UpFrontJoin::UpFrontJoin(const CharKeys& keys, const GramIndex& grams)
    : keys_(keys)
    , grams_(grams)
    , blockKeys_(FirstBlockKeys) {}

UpFrontJoin::~UpFrontJoin() = default;

bool UpFrontJoin::prepare(const Yielder& yield) {
    plan_ = std::make_unique<JoinPlan>();
    if (!rankByLength(keys_, *plan_) || !fileLongerKeys(keys_, grams_, *plan_, yield)) {
        plan_.reset();
        return false;
    }
    firstLink_.assign(size_t(keys_.count()), -1);
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
        std::vector<std::vector<JoinedPair>> results(threads);
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
        merge(results);
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
    firstLink_ = {};
    links_ = {};
    scratch_ = {};
}

void UpFrontJoin::find(int key, std::vector<KeyMatch>& out) const {
    const int len = keys_.length(key);
    for (int link = firstLink_[size_t(key)]; link >= 0; link = links_[size_t(link)].next) {
        const Link& l = links_[size_t(link)];
        if (!keys_.active().has(l.other))
            continue;
        const int otherLen = keys_.length(l.other);
        const Method method = len > otherLen ? Method::File1Longer : Method::File2Longer;
        out.push_back(
            {l.other, MatchResult{l.score, std::max(len, otherLen) - keys_.group(), method}});
    }
}

} // namespace nw
