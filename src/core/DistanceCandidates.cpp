#include "core/DistanceCandidates.h"
#include "core/EditDistance.h"
#include "core/IndexTools.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>

namespace nw {

Service<bool>& waitForAheadService() {
    static Service<bool> wait;
    return wait;
}

namespace {

// Keys searched ahead at a time, and the blocks the searches may run ahead of the scan.
constexpr int AheadBlock = 256;
constexpr size_t BlocksAhead = 256;

// What one thread's searches write to.
struct Searcher {
    explicit Searcher(int keys)
        : stamps(keys) {}
    Stamps stamps;
    PatternMasks masks{QStringView()};
};

// Levenshtein distance: equal keys by their id; for larger distances a key within d edits of
// another holds one of that key's d + 1 pieces unchanged, near the piece's own place.
//
// A file whose key is new meets exactly the keys below it, which do not depend on the scan: those
// searches are made ahead, in key order, on a helper thread, and the scan takes them as it comes.
class DistanceCandidates : public PairCandidates {
public:
    DistanceCandidates(const KeyTable& keys, int distance, const Yielder& yield);
    ~DistanceCandidates() override;
    void find(int key, std::vector<KeyMatch>& out) override;
    void activate(int key) override { active_.add(key); }

private:
    Piece piece(int length, int s) const { return pieceOf(length, distance_ + 1, s); }
    // Pairs of neighbouring characters first, from the entry beside the candidate; then the
    // characters themselves.
    bool fewMissing(uint64_t queryPairs, uint64_t queryClasses, uint32_t e) const {
        return fewClassesMissing(queryPairs, pieces_.tag(e), 2 * distance_) &&
               fewClassesMissing(queryClasses, classes_[size_t(pieces_.value(e))], distance_);
    }
    void verify(Searcher& s, int key, int other, std::vector<KeyMatch>& out) const {
        // Beyond the few edits worth trying one by one, the query's masks serve every
        // candidate: the distance does not care which text is the pattern.
        const QStringView a = keys_.key(key), b = keys_.key(other);
        const int d = std::abs(int(a.size() - b.size())) > distance_ ? distance_ + 1
                      : distance_ > 3 && a.size() <= 64 ? bitParallelWithin(s.masks, b, distance_)
                                                        : editDistanceWithin(a, b, distance_);
        if (d <= distance_)
            out.push_back({other, MatchResult{d, 0, Method::LevenshteinDistance}});
    }
    // The keys of other ids within the distance of key: the active ones, or with active null
    // every key below limit.
    void search(int key, const ActiveKeys* active, int limit, Searcher& s,
                std::vector<KeyMatch>& out) const;

    // The helper thread's work, and the scan's side: false when no search ahead is at hand.
    void searchAhead();
    bool takeAhead(int key, std::vector<KeyMatch>& out);
    struct Block {
        int first;
        std::vector<size_t> ends; // of each key's matches
        std::vector<KeyMatch> matches;
    };

    const KeyTable& keys_;
    int distance_;
    ActiveKeys active_; // the lists hold all keys, sorted by id
    Searcher own_;
    FrozenPostings pieces_;                   // tagged with pairedChars
    std::vector<uint64_t> classes_;           // charClasses of every key
    std::vector<std::vector<int>> shortKeys_; // keys too short to cut into pieces, by length
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> ahead_; // under mutex_
    int scanAt_ = -1;         // under mutex_: the last key the scan searched itself
    bool aheadEnded_ = false; // under mutex_: the helper thread searches no more
    bool quit_ = false;       // under mutex_
    std::unique_ptr<Beside> helper_;
};

DistanceCandidates::DistanceCandidates(const KeyTable& keys, int distance, const Yielder& yield)
    : keys_(keys)
    , distance_(distance)
    , active_(keys.keyCount())
    , own_(keys.keyCount()) {
    if (distance_ == 0)
        return;
    std::vector<uint64_t> pairs;
    pairs.reserve(size_t(keys.keyCount()));
    classes_.reserve(size_t(keys.keyCount()));
    for (int key = 0; key < keys.keyCount(); ++key) {
        pairs.push_back(pairedChars(keys_.key(key)));
        classes_.push_back(charClasses(keys_.key(key)));
    }
    std::vector<FrozenPostings::Item> items;
    items.reserve(size_t(keys.keyCount()) * size_t(distance_ + 1));
    for (int key = 0; key < keys.keyCount(); ++key) {
        if (stoppedWhileIndexing(key, yield))
            return;
        const int len = keys_.length(key);
        if (len <= distance_) {
            if (size_t(len) >= shortKeys_.size())
                shortKeys_.resize(size_t(len) + 1);
            shortKeys_[size_t(len)].push_back(key);
            continue;
        }
        const QStringView text = keys_.key(key);
        for (int s = 0; s <= distance_; ++s) {
            const Piece p = piece(len, s);
            items.push_back({pieceHash(len, s, text.mid(p.start, p.size)), key});
        }
    }
    pieces_.build(items, pairs);
    helper_ = std::make_unique<Beside>([this] { searchAhead(); });
    if (!helper_->started())
        helper_.reset(); // the scan searches every key itself
}

DistanceCandidates::~DistanceCandidates() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    helper_.reset();
}

void DistanceCandidates::searchAhead() {
    struct Ended {
        DistanceCandidates& c;
        ~Ended() {
            std::lock_guard lock(c.mutex_);
            c.aheadEnded_ = true;
            c.changed_.notify_all();
        }
    } ended{*this};
    Searcher own(keys_.keyCount());
    int first = 0;
    while (first < keys_.keyCount()) {
        Block block{first, {}, {}};
        for (int key = first; key < std::min(keys_.keyCount(), first + AheadBlock); ++key) {
            search(key, nullptr, key, own, block.matches);
            block.ends.push_back(block.matches.size());
        }
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return quit_ || ahead_.size() < BlocksAhead; });
        if (quit_)
            return;
        ahead_.push_back(std::move(block));
        changed_.notify_all();
        // Where the scan has gone past, it searched the keys itself.
        first = std::max(first + AheadBlock, scanAt_ + 1);
    }
}

bool DistanceCandidates::takeAhead(int key, std::vector<KeyMatch>& out) {
    std::unique_lock lock(mutex_);
    for (;;) {
        while (!ahead_.empty() && ahead_.front().first + int(ahead_.front().ends.size()) <= key) {
            ahead_.pop_front(); // keys the scan met before they were new, or searched itself
            changed_.notify_all();
        }
        if (!ahead_.empty() && ahead_.front().first <= key)
            break;
        // Not yet searched: the scan searches it itself rather than wait.
        if (aheadEnded_ || !waitForAheadService().get()) {
            scanAt_ = key;
            return false;
        }
        changed_.wait(lock);
    }
    const Block& block = ahead_.front();
    const size_t at = size_t(key - block.first);
    out.insert(out.end(), block.matches.begin() + std::ptrdiff_t(at == 0 ? 0 : block.ends[at - 1]),
               block.matches.begin() + std::ptrdiff_t(block.ends[at]));
    return true;
}

void DistanceCandidates::find(int key, std::vector<KeyMatch>& out) {
    if (active_.has(key))
        out.push_back({key, MatchResult{0, 0, Method::LevenshteinDistance}});
    if (distance_ == 0)
        return;
    // A new key in key order: the active keys are exactly those below it.
    if (helper_ && active_.count() == key && active_.bound() == key && takeAhead(key, out))
        return;
    search(key, &active_, active_.bound(), own_, out);
}

void DistanceCandidates::search(int key, const ActiveKeys* active, int limit, Searcher& s,
                                std::vector<KeyMatch>& out) const {
    s.stamps.next();
    s.stamps.first(key);
    const QStringView text = keys_.key(key);
    if (distance_ > 3 && text.size() <= 64)
        s.masks.reset(text);
    const int len = int(text.size());
    const uint64_t queryPairs = pairedChars(text);
    const uint64_t queryClasses = charClasses(text);
    for (int other = std::max(0, len - distance_); other <= len + distance_; ++other) {
        if (other <= distance_) {
            if (size_t(other) < shortKeys_.size())
                for (int k : shortKeys_[size_t(other)]) {
                    if (k >= limit)
                        break;
                    if ((!active || active->has(k)) && s.stamps.first(k))
                        verify(s, key, k, out);
                }
            continue;
        }
        const int delta = len - other;
        for (int p = 0; p <= distance_; ++p) {
            const auto [start, size] = piece(other, p);
            // Edits before the piece shift it by at most p, edits after it leave d - p for the
            // length difference.
            const int lo = std::max({0, start - p, start + delta - (distance_ - p)});
            const int hi = std::min({len - size, start + p, start + delta + (distance_ - p)});
            for (int at = lo; at <= hi; ++at) {
                uint32_t e = 0, end = 0;
                pieces_.list(pieceHash(other, p, text.mid(at, size)), e, end);
                for (; e != end && pieces_.value(e) < limit; ++e) {
                    const int candidate = pieces_.value(e);
                    // A hash shared by another length only adds a candidate; the check is exact.
                    if (fewMissing(queryPairs, queryClasses, e) &&
                        (!active || active->hasBelow(candidate)) && s.stamps.first(candidate))
                        verify(s, key, candidate, out);
                }
            }
        }
    }
}

} // namespace

std::unique_ptr<PairCandidates> makeDistanceCandidates(const KeyTable& keys, int distance,
                                                       const Yielder& yield) {
    return std::make_unique<DistanceCandidates>(keys, distance, yield);
}

} // namespace nw
