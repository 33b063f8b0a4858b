#include "core/DistanceCandidates.h"
#include "core/EditDistance.h"
#include "core/IndexTools.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace nw {

namespace {

// Levenshtein distance: equal keys by their id; for larger distances a key within d edits of
// another holds one of that key's d + 1 pieces unchanged, near the piece's own place.
class DistanceCandidates : public PairCandidates {
public:
    DistanceCandidates(const KeyTable& keys, int distance, const Yielder& yield);
    void find(int key, std::vector<KeyMatch>& out) override;
    void activate(int key) override;

private:
    Piece piece(int length, int s) const { return pieceOf(length, distance_ + 1, s); }
    // Pairs of neighbouring characters first, from the entry beside the candidate; then the
    // characters themselves.
    bool fewMissing(uint64_t queryPairs, uint64_t queryClasses,
                    const FrozenPostings::Entry& e) const {
        return fewClassesMissing(queryPairs, e.tag, 2 * distance_) &&
               fewClassesMissing(queryClasses, classes_[size_t(e.value)], distance_);
    }
    void verify(int key, int other, std::vector<KeyMatch>& out) {
        // Beyond the few edits worth trying one by one, the query's masks serve every
        // candidate: the distance does not care which text is the pattern.
        const QStringView a = keys_.key(key), b = keys_.key(other);
        const int d = std::abs(int(a.size() - b.size())) > distance_ ? distance_ + 1
                      : distance_ > 3 && a.size() <= 64 ? bitParallelWithin(masks_, b, distance_)
                                                        : editDistanceWithin(a, b, distance_);
        if (d <= distance_)
            out.push_back({other, MatchResult{d, 0, Method::LevenshteinDistance}});
    }

    const KeyTable& keys_;
    int distance_;
    ActiveKeys active_; // the lists hold all keys, sorted by id
    Stamps stamps_;
    FrozenPostings pieces_;                   // tagged with pairedChars
    std::vector<uint64_t> classes_;           // charClasses of every key
    std::vector<std::vector<int>> shortKeys_; // keys too short to cut into pieces, by length
    PatternMasks masks_{QStringView()};
};

DistanceCandidates::DistanceCandidates(const KeyTable& keys, int distance, const Yielder& yield)
    : keys_(keys)
    , distance_(distance)
    , active_(keys.keyCount())
    , stamps_(keys.keyCount()) {
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
        if (len <= distance_)
            continue;
        const QStringView text = keys_.key(key);
        for (int s = 0; s <= distance_; ++s) {
            const Piece p = piece(len, s);
            items.push_back({pieceHash(len, s, text.mid(p.start, p.size)), key});
        }
    }
    pieces_.build(items, pairs);
}

void DistanceCandidates::activate(int key) {
    active_.add(key);
    const int len = keys_.length(key);
    if (len <= distance_ && distance_ > 0) {
        if (size_t(len) >= shortKeys_.size())
            shortKeys_.resize(size_t(len) + 1);
        shortKeys_[size_t(len)].push_back(key);
    }
}

void DistanceCandidates::find(int key, std::vector<KeyMatch>& out) {
    if (active_.has(key))
        out.push_back({key, MatchResult{0, 0, Method::LevenshteinDistance}});
    if (distance_ == 0)
        return;
    stamps_.next();
    stamps_.first(key);
    const QStringView text = keys_.key(key);
    if (distance_ > 3 && text.size() <= 64)
        masks_.reset(text);
    const int len = int(text.size());
    const uint64_t queryPairs = pairedChars(text);
    const uint64_t queryClasses = charClasses(text);
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
            const auto [start, size] = piece(other, s);
            // Edits before the piece shift it by at most s, edits after it leave d - s for the
            // length difference.
            const int lo = std::max({0, start - s, start + delta - (distance_ - s)});
            const int hi = std::min({len - size, start + s, start + delta + (distance_ - s)});
            for (int at = lo; at <= hi; ++at) {
                const FrozenPostings::Entry* end = nullptr;
                for (const FrozenPostings::Entry* e =
                         pieces_.list(pieceHash(other, s, text.mid(at, size)), end);
                     e != end && e->value < active_.bound(); ++e) {
                    // A hash shared by another length only adds a candidate; the check is exact.
                    if (fewMissing(queryPairs, queryClasses, *e) && active_.hasBelow(e->value) &&
                        stamps_.first(e->value))
                        verify(key, e->value, out);
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
