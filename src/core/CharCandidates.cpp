#include "core/CharCandidates.h"
#include "core/IndexTools.h"
#include "core/Postings.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <thread>

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

// Gram codes numbered densely in order of first sight.
class GramIds {
public:
    size_t size() const { return used_; }
    int idOf(uint64_t code) {
        if (2 * (used_ + 1) > slots_.size())
            grow();
        const size_t mask = slots_.size() - 1;
        for (size_t s = mixHash(code) & mask;; s = (s + 1) & mask) {
            Slot& slot = slots_[s];
            if (slot.id < 0) {
                slot = {code, int(used_++)};
                return slot.id;
            }
            if (slot.code == code)
                return slot.id;
        }
    }

private:
    struct Slot {
        uint64_t code = 0;
        int id = -1;
    };
    void grow() {
        std::vector<Slot> old(std::max<size_t>(1024, 2 * slots_.size()));
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.id < 0)
                continue;
            size_t s = mixHash(slot.code) & mask;
            while (slots_[s].id >= 0)
                s = (s + 1) & mask;
            slots_[s] = slot;
        }
    }
    std::vector<Slot> slots_;
    size_t used_ = 0;
};

// Per-thread working arrays of a query.
struct Scratch {
    // The query key's grams (stamped): how many of its windows have each.
    std::vector<uint32_t> queryStamp;
    std::vector<int> queryWindows;
    uint32_t query = 0;
    // Hits per candidate key while filtering, under the query's stamp in the upper half: one
    // memory access per hit.
    std::vector<uint64_t> hitMarks;
    std::vector<int> touched;
    std::vector<int> prefix;

    void size(size_t keys, size_t grams) {
        hitMarks.assign(keys, 0);
        queryStamp.assign(grams, 0);
        queryWindows.assign(grams, 0);
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

// Character matching: equal lengths by pieces that a match must share and then counting
// mismatches; other lengths through the keys' g-grams, all pairs found up front where they fit
// in memory, file by file with prefix filtering where not.
class CharCandidates : public PairCandidates {
public:
    CharCandidates(const KeyTable& keys, const MatchNumbers& numbers, const Yielder& yield);
    void find(int key, std::vector<KeyMatch>& out) override;
    void activate(int key) override;

private:
    // Least score that matches with base compared positions; INT_MAX when none can.
    int minScore(int base) const {
        if (base <= 0)
            return INT_MAX;
        const double threshold = (double(percent_) / 100.0) * double(base);
        if (!(threshold > 0))
            return INT_MAX;
        const double s = std::ceil(threshold);
        return s > double(base) ? INT_MAX : int(s);
    }
    void findSameLength(int key, std::vector<KeyMatch>& out);
    void findOtherLengths(int key, std::vector<KeyMatch>& out);
    void markQuery(Scratch& sc, int key) const;
    // Finds every pair of keys of different lengths up front: each key stands, as the longer
    // key of a pair, under the leader of each of its groups, and each key, as the shorter one,
    // walks the entries under its own grams. False when the pairs grow too large to hold or Stop
    // is pressed; then the search runs file by file instead.
    bool joinAll(const Yielder& yield);
    struct Group {
        int leader;    // the group's rarest gram
        uint64_t bits; // gramBit of each of its grams
    };
    static uint64_t gramBit(int gram) { return uint64_t(1) << (mixHash(uint64_t(gram)) >> 58); }
    // The distinct grams of the key's windows split into misses + 1 groups, rarest first as
    // leaders, the others dealt out in rarity order so that each group gets some rare ones. A
    // shorter key that matches misses at most misses grams, so it holds one whole group. Gives
    // misses, or -1 when no key can match this one as the longer key.
    int groupsOf(int key, std::vector<int>& grams, std::vector<Group>& out) const;
    // The key's windows, rarest gram first.
    void windowsByRarity(int key, std::vector<int>& out) const;
    // Keys of one length are cut into misses + 1 pieces: a match agrees on one piece at least.
    // Worth it only where the pieces are not single characters.
    bool cutsLength(int len) const {
        const int need = minScore(len);
        return need != INT_MAX && len / (len - need + 1) >= 2;
    }
    void sameLengthPiece(int len, int s, int& start, int& size) const {
        const int parts = len - minScore(len) + 1;
        const int small = len / parts, longer = len % parts;
        start = s * small + std::max(0, s - (parts - longer));
        size = s < parts - longer ? small : small + 1;
    }
    void verifyOther(const Scratch& sc, int key, int other, std::vector<KeyMatch>& out) const;
    void buildGrams(const Yielder& yield);
    // Off the window's thread it gets no yielder and only watches StopFlag.
    void buildPieces(const Yielder& yield);
    // Window positions of key in rarity order, as many as the filter takes, and how many of
    // them any match must find in the other key.
    int prefixOf(int key, std::vector<int>& grams) const;
    int windowsOf(int key) const { return keys_.length(key) - group_; }
    const int* gramsOf(int key) const { return grams_.data() + gramOffset_[size_t(key)]; }
    const int* distinctOf(int key, int& count) const {
        count = int(distinctOffset_[size_t(key) + 1] - distinctOffset_[size_t(key)]);
        return distinct_.data() + distinctOffset_[size_t(key)];
    }

    const KeyTable& keys_;
    const MatchNumbers& numbers_;
    int percent_;
    int group_ = -1;          // -1: no usable group size
    bool exactGrams_ = false; // gram ids stand for exactly one text: verification by ids
    std::vector<std::vector<int>> byLength_;
    std::vector<int> lengths_; // the lengths that have active keys
    int activeCount_ = 0;
    Stamps stamps_;

    // For each key the gram ids of all its substrings of the group size, in order, and the
    // distinct ones.
    std::vector<uint64_t> gramOffset_, distinctOffset_;
    std::vector<int> grams_, distinct_;
    std::vector<int> keysWithGram_;   // how many keys hold each gram
    std::vector<uint16_t> maxRepeat_; // per key: most windows that share one gram
    FrozenPostings pieces_;           // (length, piece, text) -> keys, by id
    // Keys are activated in id order, so the active ones are those below activeBelow_.
    int activeBelow_ = 0;
    bool inOrder_ = true;
    std::vector<char> isActive_;
    Postings holders_;               // gram -> active keys that contain it
    Postings prefixes_;              // gram -> active keys, once per prefix window with that gram
    std::vector<int> prefixNeed_;    // per key: prefix windows a shorter key must hold
    std::vector<uint16_t> lengthOf_; // key lengths, compact for the list walks

    Scratch main_; // for the file-by-file search
    bool joined_ = false;
    std::vector<std::vector<std::pair<int, int>>> joinedWith_; // key -> (other key, score)
};

CharCandidates::CharCandidates(const KeyTable& keys, const MatchNumbers& numbers,
                               const Yielder& yield)
    : keys_(keys)
    , numbers_(numbers)
    , percent_(numbers.percent.value)
    , stamps_(keys.keyCount()) {
    main_.size(size_t(keys.keyCount()), 0);
    isActive_.assign(size_t(keys.keyCount()), 0);
    lengthOf_.reserve(size_t(keys.keyCount()));
    for (int id = 0; id < keys.keyCount(); ++id)
        lengthOf_.push_back(uint16_t(std::min(keys.length(id), 65535)));
    if (!numbers.groupSize.ok() || numbers.groupSize.value <= 0) {
        group_ = numbers.groupSize.ok() && numbers.groupSize.value == 0 ? 0 : -1;
        buildPieces(yield);
        return;
    }
    group_ = numbers.groupSize.value;
    // The same-length index is built beside the gram index and the join, on another core.
    Beside pieces([this] { buildPieces({}); });
    buildGrams(yield);
    joined_ = !StopFlag && upFrontJoinService().get() && joinAll(yield);
    pieces.join();
}

void CharCandidates::buildPieces(const Yielder& yield) {
    std::vector<FrozenPostings::Item> items;
    std::vector<uint64_t> tags;
    for (int id = 0; id < keys_.keyCount(); ++id) {
        if (stoppedWhileIndexing(id, yield))
            return;
        const int len = keys_.length(id);
        tags.push_back(0);
        if (!cutsLength(len))
            continue;
        const QStringView text = keys_.key(id);
        tags.back() = placedChars(text);
        const int parts = len - minScore(len) + 1;
        for (int s = 0; s < parts; ++s) {
            int start = 0, size = 0;
            sameLengthPiece(len, s, start, size);
            items.push_back({pieceHash(len, s, text.mid(start, size)), id});
        }
    }
    pieces_.build(items, tags);
}

void CharCandidates::buildGrams(const Yielder& yield) {
    const int count = keys_.keyCount();
    // Packed exactly when every character fits the bits a gram leaves it, hashed otherwise.
    const int bits = std::min(16, 64 / group_);
    exactGrams_ = bits >= 1;
    for (int id = 0; id < count && exactGrams_; ++id)
        for (QChar c : keys_.key(id))
            if (bits < 16 && c.unicode() >= (1u << bits)) {
                exactGrams_ = false;
                break;
            }
    auto code = [&](QStringView key, int at) {
        uint64_t h = 0;
        if (exactGrams_) {
            for (int k = 0; k < group_; ++k)
                h = (h << bits) | key[at + k].unicode();
            return h;
        }
        h = 1469598103934665603ULL;
        for (int k = 0; k < group_; ++k)
            h = (h ^ key[at + k].unicode()) * 1099511628211ULL;
        return h;
    };
    gramOffset_.assign(size_t(count) + 1, 0);
    distinctOffset_.assign(size_t(count) + 1, 0);
    GramIds ids;
    // Per gram, the last key that held it and how many of that key's windows have it.
    std::vector<int> lastKey;
    std::vector<int> windows;
    maxRepeat_.assign(size_t(count), 1);
    for (int id = 0; id < count; ++id) {
        if ((id & 4095) == 0)
            yieldTo(yield);
        gramOffset_[size_t(id)] = grams_.size();
        distinctOffset_[size_t(id)] = distinct_.size();
        const QStringView key = keys_.key(id);
        const int base = windowsOf(id);
        int repeat = 1;
        for (int at = 0; at + group_ <= int(key.size()); ++at) {
            const int gram = ids.idOf(code(key, at));
            if (size_t(gram) == lastKey.size()) {
                lastKey.push_back(-1);
                windows.push_back(0);
            }
            grams_.push_back(gram);
            if (lastKey[size_t(gram)] != id) {
                lastKey[size_t(gram)] = id;
                windows[size_t(gram)] = 0;
                distinct_.push_back(gram);
            }
            if (at < base)
                repeat = std::max(repeat, ++windows[size_t(gram)]);
        }
        maxRepeat_[size_t(id)] = uint16_t(std::min(repeat, 65535));
    }
    gramOffset_[size_t(count)] = grams_.size();
    distinctOffset_[size_t(count)] = distinct_.size();
    keysWithGram_.assign(ids.size(), 0);
    for (int g : distinct_)
        ++keysWithGram_[size_t(g)];
    holders_.resize(ids.size());
    prefixes_.resize(ids.size());
    prefixNeed_.assign(size_t(count), 0);
    main_.size(size_t(count), ids.size());
}

int CharCandidates::prefixOf(int key, std::vector<int>& out) const {
    out.clear();
    const int base = windowsOf(key);
    const int need = minScore(base);
    if (need == INT_MAX)
        return 0;
    windowsByRarity(key, out);
    // A match finds at least need windows, so it misses at most base - need: of any
    // base - need + 1 + extra windows it finds at least extra + 1. The extra windows let the
    // filter count hits instead of taking every key that holds one rare gram.
    const int misses = base - need;
    const int taken = std::min(base, misses + 1 + 6);
    out.resize(size_t(taken));
    return taken - misses;
}

void CharCandidates::windowsByRarity(int key, std::vector<int>& out) const {
    out.assign(gramsOf(key), gramsOf(key) + std::max(0, windowsOf(key)));
    std::sort(out.begin(), out.end(), [this](int a, int b) {
        const int fa = keysWithGram_[size_t(a)], fb = keysWithGram_[size_t(b)];
        return fa != fb ? fa < fb : a < b;
    });
}

int CharCandidates::groupsOf(int key, std::vector<int>& grams, std::vector<Group>& out) const {
    out.clear();
    const int base = windowsOf(key);
    const int need = minScore(base);
    if (need == INT_MAX)
        return -1;
    windowsByRarity(key, grams);
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

void CharCandidates::activate(int key) {
    ++activeCount_;
    isActive_[size_t(key)] = 1;
    if (key != activeBelow_)
        inOrder_ = false;
    activeBelow_ = std::max(activeBelow_, key + 1);
    const int len = keys_.length(key);
    if (size_t(len) >= byLength_.size())
        byLength_.resize(size_t(len) + 1);
    if (byLength_[size_t(len)].empty())
        lengths_.push_back(len);
    byLength_[size_t(len)].push_back(key);
    if (group_ <= 0)
        return;
    if (joined_)
        return;
    int count = 0;
    const int* distinct = distinctOf(key, count);
    for (int k = 0; k < count; ++k)
        holders_.add(size_t(distinct[k]), key);
    prefixNeed_[size_t(key)] = prefixOf(key, main_.prefix);
    for (int gram : main_.prefix)
        prefixes_.add(size_t(gram), key);
}

void CharCandidates::markQuery(Scratch& sc, int key) const {
    ++sc.query;
    const int len = keys_.length(key);
    const int* all = gramsOf(key);
    const int substrings = std::max(0, len - group_ + 1);
    for (int k = 0; k < substrings; ++k) {
        const size_t g = size_t(all[k]);
        if (sc.queryStamp[g] != sc.query) {
            sc.queryStamp[g] = sc.query;
            sc.queryWindows[g] = 0;
        }
        if (k < len - group_)
            ++sc.queryWindows[g];
    }
}

bool CharCandidates::joinAll(const Yielder& yield) {
    const int count = keys_.keyCount();
    // Keys ranked by length, so the keys of a range of lengths are one run of ranks.
    std::vector<int> byLength(static_cast<size_t>(count), 0);
    for (int key = 0; key < count; ++key)
        byLength[size_t(key)] = key;
    std::stable_sort(byLength.begin(), byLength.end(),
                     [this](int a, int b) { return lengthOf_[size_t(a)] < lengthOf_[size_t(b)]; });
    int longest = 0;
    for (int key = 0; key < count; ++key)
        longest = std::max(longest, keys_.length(key));
    if (longest >= 65535)
        return false; // lengthOf_ would not tell such lengths apart

    std::vector<int> firstRank(size_t(longest) + 2, count); // of each length and longer
    for (int rank = count - 1; rank >= 0; --rank)
        firstRank[lengthOf_[size_t(byLength[size_t(rank)])]] = rank;
    for (int l = longest; l >= 0; --l)
        firstRank[size_t(l)] = std::min(firstRank[size_t(l)], firstRank[size_t(l) + 1]);

    // Each key as the longer one of a pair, under the leaders of its groups: a shorter key finds
    // it through the one leader it holds, with the rest of that group to check beside it.
    struct Entry {
        uint64_t bits;     // the group's grams
        int rank;          // of the longer key
        uint16_t shortest; // shortest key that can match it
        uint16_t misses;   // distinct grams it may miss
    };
    std::vector<std::vector<Entry>> led(keysWithGram_.size());
    // Longest key that a key of each length may be the shorter one for.
    std::vector<int> longestFor(size_t(longest) + 1, 0);
    // Every gram of each longer key, one bit per gram hash: each bit a shorter key lacks is a
    // missing gram.
    std::vector<uint64_t> allBits(size_t(count), 0);
    {
        std::vector<int> grams;
        std::vector<Group> groups;
        for (int rank = 0; rank < count; ++rank) {
            if (stoppedWhileIndexing(rank, yield))
                return false;
            const int key = byLength[size_t(rank)];
            const int misses = groupsOf(key, grams, groups);
            if (misses < 0)
                continue; // too short to be the longer key of a match
            // A shorter key holds at most its length - g + 1 grams, each found in at most
            // maxRepeat windows: too short a key cannot reach the score.
            const int len = keys_.length(key);
            const int need = windowsOf(key) - misses;
            const int repeat = maxRepeat_[size_t(key)];
            const int shortest = std::clamp((need + repeat - 1) / repeat + group_ - 1, 0, len);
            longestFor[size_t(shortest)] = std::max(longestFor[size_t(shortest)], len);
            for (const Group& group : groups) {
                led[size_t(group.leader)].push_back(
                    {group.bits, rank, uint16_t(shortest), uint16_t(std::min(misses, 65535))});
                allBits[size_t(rank)] |= group.bits;
            }
        }
        for (int l = 1; l <= longest; ++l)
            longestFor[size_t(l)] = std::max(longestFor[size_t(l)], longestFor[size_t(l) - 1]);
    }

    const uint64_t pairBudget = 8 * uint64_t(count) + 4'000'000;
    std::atomic<uint64_t> pairs{0};
    std::atomic<int> next{0};
    struct Found {
        int longer, shorter, score;
    };

    // Keys are taken in small batches by each thread; every thread has its own arrays.
    std::atomic<bool> abandoned{false};
    // The calling thread yields between its batches, so the window stays alive and Stop acts.
    auto worker = [&](std::vector<Found>& results, bool yielding) {
        Scratch sc;
        sc.size(size_t(count), keysWithGram_.size());
        std::vector<KeyMatch> found;
        constexpr int batch = 256;
        for (;;) {
            const int from = next.fetch_add(batch);
            if (yielding) {
                yieldTo(yield);
                if (StopFlag)
                    abandoned = true;
            }
            if (from >= count || pairs > pairBudget || abandoned)
                return;
            for (int rank = from; rank < std::min(count, from + batch); ++rank) {
                // This key the shorter one of a pair.
                const int key = byLength[size_t(rank)];
                const int len = keys_.length(key);
                const int lo = firstRank[size_t(len) + 1];
                const int hi = firstRank[size_t(longestFor[size_t(len)]) + 1];
                if (lo >= hi)
                    continue;
                markQuery(sc, key);
                sc.touched.clear();
                found.clear();
                int n = 0;
                const int* distinct = distinctOf(key, n);
                uint64_t bits = 0;
                for (int k = 0; k < n; ++k)
                    bits |= gramBit(distinct[k]);
                for (int k = 0; k < n; ++k) {
                    const std::vector<Entry>& list = led[size_t(distinct[k])];
                    auto it = std::lower_bound(list.begin(), list.end(), lo,
                                               [](const Entry& e, int r) { return e.rank < r; });
                    for (; it != list.end() && it->rank < hi; ++it) {
                        if ((bits & it->bits) != it->bits || it->shortest > len ||
                            !fewBitsMissing(allBits[size_t(it->rank)], bits, it->misses))
                            continue;
                        sc.hit(it->rank);
                        if (sc.hits(it->rank) == 1)
                            verifyOther(sc, key, byLength[size_t(it->rank)], found);
                    }
                }
                for (const KeyMatch& m : found)
                    results.push_back({m.keyId, key, m.result.score});
                pairs += 2 * found.size();
            }
        }
    };
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::vector<Found>> results(threads);
    std::vector<std::unique_ptr<Beside>> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.push_back(std::make_unique<Beside>([&, t] { worker(results[t], false); }));
    try {
        worker(results[0], true);
    } catch (...) {
        abandoned = true; // the others stop at their next batch
        throw;
    }
    for (auto& t : pool)
        t->join();
    if (pairs > pairBudget || abandoned)
        return false;

    joinedWith_.assign(size_t(count), {});
    for (const auto& part : results)
        for (const Found& f : part) {
            joinedWith_[size_t(f.longer)].push_back({f.shorter, f.score});
            joinedWith_[size_t(f.shorter)].push_back({f.longer, f.score});
        }
    return true;
}

void CharCandidates::find(int key, std::vector<KeyMatch>& out) {
    findSameLength(key, out);
    if (group_ >= 0)
        findOtherLengths(key, out);
}

void CharCandidates::findSameLength(int key, std::vector<KeyMatch>& out) {
    const int len = keys_.length(key);
    const int need = minScore(len);
    if (need == INT_MAX || size_t(len) >= byLength_.size())
        return;
    const int allowed = len - need;
    const char16_t* a = keys_.key(key).utf16();
    auto verify = [&](int other) {
        const char16_t* b = keys_.key(other).utf16();
        int misses = 0;
        for (int k = 0; k < len && misses <= allowed; ++k)
            misses += a[k] != b[k];
        if (misses <= allowed)
            out.push_back({other, MatchResult{len - misses, len, Method::SameLength}});
    };
    if (!cutsLength(len)) {
        for (int other : byLength_[size_t(len)])
            verify(other);
        return;
    }
    stamps_.next();
    const QStringView text = keys_.key(key);
    const uint64_t query = placedChars(text);
    for (int s = 0; s <= allowed; ++s) {
        int start = 0, size = 0;
        sameLengthPiece(len, s, start, size);
        const FrozenPostings::Entry* end = nullptr;
        for (const FrozenPostings::Entry* e =
                 pieces_.list(pieceHash(len, s, text.mid(start, size)), end);
             e != end && e->value < activeBelow_; ++e) {
            // A placed character missing either way is a mismatched position.
            if (fewClassesMissing(query, e->tag, allowed) &&
                (inOrder_ || isActive_[size_t(e->value)]) && lengthOf_[size_t(e->value)] == len &&
                stamps_.first(e->value))
                verify(e->value);
        }
    }
}

void CharCandidates::verifyOther(const Scratch& sc, int key, int other,
                                 std::vector<KeyMatch>& out) const {
    if (group_ == 0 || !exactGrams_) {
        const MatchResult r = MatchCharacters(keys_.key(key), keys_.key(other), numbers_);
        if (r.score >= minScore(r.base))
            out.push_back({other, r});
        return;
    }
    // Windows of the longer key counted by gram id: the query's grams are marked.
    MatchResult r;
    if (keys_.length(key) > keys_.length(other)) {
        r.method = Method::File1Longer;
        r.base = windowsOf(key);
        int count = 0;
        const int* distinct = distinctOf(other, count);
        for (int k = 0; k < count; ++k)
            if (sc.queryStamp[size_t(distinct[k])] == sc.query)
                r.score += sc.queryWindows[size_t(distinct[k])];
    } else {
        r.method = Method::File2Longer;
        r.base = windowsOf(other);
        const int need = minScore(r.base);
        const int* windows = gramsOf(other);
        for (int k = 0; k < r.base; ++k) {
            if (sc.queryStamp[size_t(windows[k])] == sc.query)
                ++r.score;
            else if (r.base - k - 1 + r.score < need)
                return; // too many misses already
        }
    }
    if (r.score >= minScore(r.base))
        out.push_back({other, r});
}

void CharCandidates::findOtherLengths(int key, std::vector<KeyMatch>& out) {
    Scratch& sc = main_;
    const int len = keys_.length(key);
    auto visitAll = [&] {
        for (int l : lengths_) {
            if (l == len)
                continue;
            for (int other : byLength_[size_t(l)])
                verifyOther(sc, key, other, out);
        }
    };
    if (group_ == 0) {
        visitAll(); // empty windows are found everywhere
        return;
    }
    if (joined_) {
        for (const auto& [other, score] : joinedWith_[size_t(key)]) {
            if (!isActive_[size_t(other)])
                continue;
            const int otherLen = keys_.length(other);
            const Method method = len > otherLen ? Method::File1Longer : Method::File2Longer;
            out.push_back({other, MatchResult{score, std::max(len, otherLen) - group_, method}});
        }
        return;
    }
    markQuery(sc, key);

    const int needHits = prefixOf(key, sc.prefix);
    uint64_t work = 0;
    for (int gram : sc.prefix)
        work += uint64_t(keysWithGram_[size_t(gram)]);
    if (work > uint64_t(activeCount_)) {
        visitAll(); // the lists are longer than the keys themselves
        return;
    }
    sc.touched.clear();
    // This key the longer one: the shorter key must hold enough grams of this key's prefix.
    for (int gram : sc.prefix)
        holders_.forEach(size_t(gram), [&](int other) {
            if (lengthOf_[size_t(other)] < len)
                sc.hit(other);
        });
    for (int other : sc.touched)
        if (sc.hits(other) >= needHits)
            verifyOther(sc, key, other, out);
    // This key the shorter one: it must hold enough grams of the longer key's prefix.
    sc.touched.clear();
    int count = 0;
    const int* distinct = distinctOf(key, count);
    for (int k = 0; k < count; ++k)
        prefixes_.forEach(size_t(distinct[k]), [&](int other) {
            if (lengthOf_[size_t(other)] > len)
                sc.hit(other);
        });
    for (int other : sc.touched)
        if (sc.hits(other) >= prefixNeed_[size_t(other)])
            verifyOther(sc, key, other, out);
}

} // namespace

std::unique_ptr<PairCandidates>
makeCharCandidates(const KeyTable& keys, const MatchNumbers& numbers, const Yielder& yield) {
    return std::make_unique<CharCandidates>(keys, numbers, yield);
}

} // namespace nw
