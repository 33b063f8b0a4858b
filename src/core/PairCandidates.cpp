#include "PairCandidates.h"
#include "Postings.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <unordered_map>

namespace nw {

int editDistanceWithin(QStringView a, QStringView b, int limit) {
    if (a.size() < b.size())
        std::swap(a, b);
    const int n = int(a.size());
    const int m = int(b.size());
    if (n - m > limit)
        return limit + 1;
    if (m == 0)
        return n;
    // Only cells within limit of the diagonal can lead to a distance within limit.
    const int big = limit + 1;
    std::vector<int> row(size_t(m) + 1), next(size_t(m) + 1);
    for (int j = 0; j <= m; ++j)
        row[size_t(j)] = std::min(j, big);
    for (int i = 1; i <= n; ++i) {
        const int lo = std::max(1, i - limit);
        const int hi = std::min(m, i + limit);
        next[0] = std::min(i, big);
        if (lo > 1)
            next[size_t(lo) - 1] = big;
        int best = next[0];
        const QChar ai = a[i - 1];
        for (int j = lo; j <= hi; ++j) {
            int v = row[size_t(j) - 1] + (ai == b[j - 1] ? 0 : 1);
            v = std::min(v, row[size_t(j)] + 1);
            v = std::min(v, next[size_t(j) - 1] + 1);
            next[size_t(j)] = std::min(v, big);
            best = std::min(best, next[size_t(j)]);
        }
        if (hi < m)
            next[size_t(hi) + 1] = big;
        if (best > limit)
            return big;
        row.swap(next);
    }
    return std::min(row[size_t(m)], big);
}

namespace {

class NoCandidates : public PairCandidates {
public:
    void find(int, std::vector<KeyMatch>&) override {}
    void activate(int) override {}
};

// Marks which keys a query has already looked at.
class Stamps {
public:
    explicit Stamps(int keys)
        : marks_(size_t(keys), 0) {}
    void next() { ++stamp_; }
    bool first(int key) {
        if (marks_[size_t(key)] == stamp_)
            return false;
        marks_[size_t(key)] = stamp_;
        return true;
    }

private:
    std::vector<uint32_t> marks_;
    uint32_t stamp_ = 0;
};

// Character matching: equal lengths by counting mismatches, other lengths through an index of
// the keys' g-grams with prefix filtering.
class CharCandidates : public PairCandidates {
public:
    CharCandidates(const KeyTable& keys, const MatchNumbers& numbers);
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
    void verifyOther(int key, int other, std::vector<KeyMatch>& out);
    void buildGrams();
    // The grams of the first windows of key in rarity order that any match must share.
    void prefixOf(int key, std::vector<int>& grams) const;
    uint64_t gramCode(QStringView key, int at) const;

    const KeyTable& keys_;
    const MatchNumbers& numbers_;
    int percent_;
    int group_ = -1; // -1: no usable group size
    std::vector<std::vector<int>> byLength_;
    std::vector<int> lengths_; // the lengths that have active keys
    std::vector<char> active_;
    int activeCount_ = 0;
    Stamps stamps_;

    // Grams: for each key the gram ids of all its substrings of the group size, in order.
    std::vector<uint64_t> gramOffset_;
    std::vector<int> grams_;
    std::vector<int> keysWithGram_; // how many keys hold each gram
    Postings holders_;              // gram -> active keys that contain it
    Postings prefixes_;             // gram -> active keys whose prefix holds it
    std::vector<int> scratch_;
};

CharCandidates::CharCandidates(const KeyTable& keys, const MatchNumbers& numbers)
    : keys_(keys)
    , numbers_(numbers)
    , percent_(numbers.percent.value)
    , active_(size_t(keys.keyCount()), 0)
    , stamps_(keys.keyCount()) {
    if (numbers.groupSize.ok() && numbers.groupSize.value >= 0) {
        group_ = numbers.groupSize.value;
        if (group_ > 0)
            buildGrams();
    }
}

uint64_t CharCandidates::gramCode(QStringView key, int at) const {
    uint64_t h = 0;
    if (group_ <= 4) {
        for (int k = 0; k < group_; ++k)
            h = (h << 16) | key[at + k].unicode();
        return h;
    }
    // Longer grams are hashed; a collision only adds candidates, which verification drops.
    h = 1469598103934665603ULL;
    for (int k = 0; k < group_; ++k)
        h = (h ^ key[at + k].unicode()) * 1099511628211ULL;
    return h;
}

void CharCandidates::buildGrams() {
    const int count = keys_.keyCount();
    gramOffset_.assign(size_t(count) + 1, 0);
    std::unordered_map<uint64_t, int> ids;
    for (int id = 0; id < count; ++id) {
        gramOffset_[size_t(id)] = grams_.size();
        const QStringView key = keys_.key(id);
        for (int at = 0; at + group_ <= int(key.size()); ++at) {
            auto [it, added] = ids.try_emplace(gramCode(key, at), int(ids.size()));
            grams_.push_back(it->second);
        }
    }
    gramOffset_[size_t(count)] = grams_.size();
    keysWithGram_.assign(ids.size(), 0);
    Stamps seen(int(ids.size()));
    for (int id = 0; id < count; ++id) {
        seen.next();
        for (uint64_t g = gramOffset_[size_t(id)]; g < gramOffset_[size_t(id) + 1]; ++g)
            if (seen.first(grams_[g]))
                ++keysWithGram_[size_t(grams_[g])];
    }
    holders_.resize(ids.size());
    prefixes_.resize(ids.size());
}

void CharCandidates::prefixOf(int key, std::vector<int>& out) const {
    out.clear();
    const int base = keys_.length(key) - group_;
    const int need = minScore(base);
    if (need == INT_MAX)
        return;
    std::vector<int> windows(grams_.begin() + ptrdiff_t(gramOffset_[size_t(key)]),
                             grams_.begin() + ptrdiff_t(gramOffset_[size_t(key)]) + base);
    std::sort(windows.begin(), windows.end(), [this](int a, int b) {
        const int fa = keysWithGram_[size_t(a)], fb = keysWithGram_[size_t(b)];
        return fa != fb ? fa < fb : a < b;
    });
    // A match finds at least need windows, so it misses at most base - need: any base - need + 1
    // windows hold one it finds.
    windows.resize(size_t(base - need + 1));
    windows.erase(std::unique(windows.begin(), windows.end()), windows.end());
    out = std::move(windows);
}

void CharCandidates::activate(int key) {
    active_[size_t(key)] = 1;
    ++activeCount_;
    const int len = keys_.length(key);
    if (size_t(len) >= byLength_.size())
        byLength_.resize(size_t(len) + 1);
    if (byLength_[size_t(len)].empty())
        lengths_.push_back(len);
    byLength_[size_t(len)].push_back(key);
    if (group_ <= 0)
        return;
    for (uint64_t g = gramOffset_[size_t(key)]; g < gramOffset_[size_t(key) + 1]; ++g)
        scratch_.push_back(grams_[g]);
    std::sort(scratch_.begin(), scratch_.end());
    scratch_.erase(std::unique(scratch_.begin(), scratch_.end()), scratch_.end());
    for (int gram : scratch_)
        holders_.add(size_t(gram), key);
    scratch_.clear();
    std::vector<int> prefix;
    prefixOf(key, prefix);
    for (int gram : prefix)
        prefixes_.add(size_t(gram), key);
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
    const QChar* a = keys_.key(key).data();
    for (int other : byLength_[size_t(len)]) {
        const QChar* b = keys_.key(other).data();
        int misses = 0;
        for (int k = 0; k < len && misses <= allowed; ++k)
            misses += a[k] != b[k];
        if (misses <= allowed)
            out.push_back({other, MatchResult{len - misses, len, Method::SameLength}});
    }
}

void CharCandidates::verifyOther(int key, int other, std::vector<KeyMatch>& out) {
    const MatchResult r = MatchCharacters(keys_.key(key), keys_.key(other), numbers_);
    if (r.score >= minScore(r.base))
        out.push_back({other, r});
}

void CharCandidates::findOtherLengths(int key, std::vector<KeyMatch>& out) {
    const int len = keys_.length(key);
    stamps_.next();
    auto visitAll = [&] {
        for (int l : lengths_) {
            if (l == len)
                continue;
            for (int other : byLength_[size_t(l)])
                verifyOther(key, other, out);
        }
    };
    if (group_ == 0) {
        visitAll(); // empty windows are found everywhere
        return;
    }
    std::vector<int> prefix;
    prefixOf(key, prefix);
    const uint64_t from = gramOffset_[size_t(key)], to = gramOffset_[size_t(key) + 1];
    scratch_.assign(grams_.begin() + ptrdiff_t(from), grams_.begin() + ptrdiff_t(to));
    std::sort(scratch_.begin(), scratch_.end());
    scratch_.erase(std::unique(scratch_.begin(), scratch_.end()), scratch_.end());

    // Where the lists to walk are longer than the keys themselves, walking the keys is cheaper.
    uint64_t work = 0;
    for (int gram : prefix)
        work += uint64_t(keysWithGram_[size_t(gram)]);
    if (work > uint64_t(activeCount_)) {
        visitAll();
        return;
    }
    // This key the longer one: the shorter key must hold a gram of this key's prefix.
    for (int gram : prefix)
        holders_.forEach(size_t(gram), [&](int other) {
            if (keys_.length(other) < len && stamps_.first(other))
                verifyOther(key, other, out);
        });
    // This key the shorter one: it must hold a gram of the longer key's prefix.
    for (int gram : scratch_)
        prefixes_.forEach(size_t(gram), [&](int other) {
            if (keys_.length(other) > len && stamps_.first(other))
                verifyOther(key, other, out);
        });
}

// Levenshtein distance: equal keys by their id; for larger distances a key within d edits of
// another holds one of that key's d + 1 pieces unchanged, near the piece's own place.
class DistanceCandidates : public PairCandidates {
public:
    DistanceCandidates(const KeyTable& keys, int distance)
        : keys_(keys)
        , distance_(distance)
        , active_(size_t(keys.keyCount()), 0)
        , stamps_(keys.keyCount()) {}
    void find(int key, std::vector<KeyMatch>& out) override;
    void activate(int key) override;

private:
    void piece(int length, int s, int& start, int& size) const {
        const int parts = distance_ + 1;
        const int small = length / parts, longer = length % parts;
        const int smallCount = parts - longer;
        start = s * small + std::max(0, s - smallCount);
        size = s < smallCount ? small : small + 1;
    }
    static uint64_t pieceHash(int length, int s, QStringView text) {
        uint64_t h = 1469598103934665603ULL ^ (uint64_t(length) << 32) ^ uint64_t(s);
        for (QChar c : text)
            h = (h ^ c.unicode()) * 1099511628211ULL;
        return h;
    }
    void verify(int key, int other, std::vector<KeyMatch>& out) {
        const int d = editDistanceWithin(keys_.key(key), keys_.key(other), distance_);
        if (d <= distance_)
            out.push_back({other, MatchResult{d, 0, Method::LevenshteinDistance}});
    }

    const KeyTable& keys_;
    int distance_;
    std::vector<char> active_;
    Stamps stamps_;
    HashPostings pieces_;
    std::vector<std::vector<int>> shortKeys_; // keys too short to cut into pieces, by length
};

void DistanceCandidates::activate(int key) {
    active_[size_t(key)] = 1;
    const int len = keys_.length(key);
    if (len <= distance_) {
        if (size_t(len) >= shortKeys_.size())
            shortKeys_.resize(size_t(len) + 1);
        shortKeys_[size_t(len)].push_back(key);
        return;
    }
    const QStringView text = keys_.key(key);
    for (int s = 0; s <= distance_; ++s) {
        int start = 0, size = 0;
        piece(len, s, start, size);
        pieces_.add(pieceHash(len, s, text.mid(start, size)), key);
    }
}

void DistanceCandidates::find(int key, std::vector<KeyMatch>& out) {
    if (active_[size_t(key)])
        out.push_back({key, MatchResult{0, 0, Method::LevenshteinDistance}});
    if (distance_ == 0)
        return;
    stamps_.next();
    stamps_.first(key);
    const QStringView text = keys_.key(key);
    const int len = int(text.size());
    for (int other = std::max(0, len - distance_); other <= len + distance_; ++other) {
        if (other <= distance_) {
            if (size_t(other) < shortKeys_.size())
                for (int k : shortKeys_[size_t(other)])
                    if (stamps_.first(k))
                        verify(key, k, out);
            continue;
        }
        const int delta = len - other;
        for (int s = 0; s <= distance_; ++s) {
            int start = 0, size = 0;
            piece(other, s, start, size);
            // Edits before the piece shift it by at most s, edits after it leave d - s for the
            // length difference.
            const int lo = std::max({0, start - s, start + delta - (distance_ - s)});
            const int hi = std::min({len - size, start + s, start + delta + (distance_ - s)});
            for (int at = lo; at <= hi; ++at)
                pieces_.forEach(pieceHash(other, s, text.mid(at, size)), [&](int k) {
                    if (keys_.length(k) == other && stamps_.first(k))
                        verify(key, k, out);
                });
        }
    }
}

} // namespace

std::unique_ptr<PairCandidates> PairCandidates::make(const KeyTable& keys, MatchMode mode,
                                                     const MatchNumbers& numbers) {
    if (mode == MatchMode::Levenshtein) {
        if (numbers.distance.value < 0)
            return std::make_unique<NoCandidates>();
        return std::make_unique<DistanceCandidates>(keys, numbers.distance.value);
    }
    if (numbers.percent.value <= 0 || numbers.percent.value > 100)
        return std::make_unique<NoCandidates>();
    return std::make_unique<CharCandidates>(keys, numbers);
}

} // namespace nw
