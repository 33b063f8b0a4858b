#include "core/GramIndex.h"

#include <algorithm>

namespace nw {

namespace {

// Keys whose grams are numbered between two looks at the window (a power of two): each window
// of a key costs a look-up in the gram table, so a key costs more here than in the piece index.
constexpr int GramYieldPeriod = 4096;

// Gram codes numbered densely in order of first sight, up to GramIdCount ids; codes beyond
// share the ids by hash, as hashed grams do.
class GramIds {
public:
    explicit GramIds(size_t numbers)
        : numbers_(std::clamp<size_t>(numbers, 1, GramIdCount)) {}
    bool shared() const { return used_ > numbers_; }
    int idOf(uint64_t code) {
        if (2 * (used_ + 1) > slots_.size())
            grow();
        const size_t mask = slots_.size() - 1;
        for (size_t s = mixHash(code) & mask;; s = (s + 1) & mask) {
            Slot& slot = slots_[s];
            if (slot.id < 0) {
                const size_t id = used_ < numbers_ ? used_ : mixHash(code) % numbers_;
                ++used_;
                slot = {code, int(id)};
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
    static constexpr size_t FirstSlots = 1024; // a power of two: slots are picked by a mask
    void grow() {
        std::vector<Slot> old(std::max<size_t>(FirstSlots, 2 * slots_.size()));
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
    const size_t numbers_;
};

} // namespace

void GramIndex::build(const Yielder& yield) {
    const int count = keys_.count();
    const int group = keys_.group();
    // Packed exactly when every character fits the bits a gram leaves it, hashed otherwise.
    const int bits = std::min(16, 64 / group);
    bool packed = bits >= 1;
    for (int id = 0; id < count && packed; ++id)
        for (QChar c : keys_.key(id))
            if (bits < 16 && c.unicode() >= (1u << bits)) {
                packed = false;
                break;
            }
    auto code = [&](QStringView key, int at) {
        uint64_t h = 0;
        if (packed) {
            for (int k = 0; k < group; ++k)
                h = (h << bits) | key[at + k].unicode();
            return h;
        }
        h = FnvOffset;
        for (int k = 0; k < group; ++k)
            h = (h ^ key[at + k].unicode()) * FnvPrime;
        return h;
    };
    gramOffset_.assign(size_t(count) + 1, 0);
    // Reserved whole: grown by doubling, the two largest arrays of the index would hold up to
    // twice their size at the scan's peak.
    size_t allWindows = 0;
    for (int id = 0; id < count; ++id)
        allWindows += size_t(std::max(0, keys_.length(id) - group + 1));
    grams_.reserve(allWindows);
    GramIds ids(size_t(gramNumbersService().get()));
    // Per gram, the last key that held it and how many of that key's windows have it.
    std::vector<int> lastKey;
    std::vector<int> windows;
    maxRepeat_.assign(size_t(count), 1);
    repeated_.assign(size_t(count), 0);
    for (int id = 0; id < count; ++id) {
        if ((id & (GramYieldPeriod - 1)) == 0)
            yieldTo(yield);
        gramOffset_[size_t(id)] = grams_.size();
        const QStringView key = keys_.key(id);
        const int base = keys_.windowsOf(id);
        int repeat = 1, repeated = 0;
        for (int at = 0; at + group <= int(key.size()); ++at) {
            const int gram = ids.idOf(code(key, at));
            if (size_t(gram) == lastKey.size()) {
                lastKey.push_back(-1);
                windows.push_back(0);
                keysWithGram_.push_back(0);
            }
            grams_.push_back(GramId(gram));
            if (lastKey[size_t(gram)] != id) {
                lastKey[size_t(gram)] = id;
                windows[size_t(gram)] = 0;
                ++keysWithGram_[size_t(gram)];
            }
            if (at < base) {
                repeated += windows[size_t(gram)] > 0;
                repeat = std::max(repeat, ++windows[size_t(gram)]);
            }
        }
        maxRepeat_[size_t(id)] = uint16_t(std::min(repeat, CompactMax));
        repeated_[size_t(id)] = uint16_t(std::min(repeated, CompactMax));
    }
    gramOffset_[size_t(count)] = grams_.size();
    exact_ = packed && !ids.shared();
    numberByRarity();
}

void GramIndex::numberByRarity() {
    std::vector<int> order(keysWithGram_.size());
    for (size_t g = 0; g < order.size(); ++g)
        order[g] = int(g);
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        return keysWithGram_[size_t(a)] < keysWithGram_[size_t(b)];
    });
    std::vector<int> idOf(order.size());
    for (size_t k = 0; k < order.size(); ++k)
        idOf[size_t(order[k])] = int(k);
    for (GramId& g : grams_)
        g = GramId(idOf[size_t(g)]);
    std::vector<int> keysWith(order.size());
    for (size_t k = 0; k < order.size(); ++k)
        keysWith[k] = keysWithGram_[size_t(order[k])];
    keysWithGram_.swap(keysWith);
}

void GramIndex::rarestWindows(int key, int count, std::vector<int>& out) const {
    out.clear();
    const GramId* windows = gramsOf(key);
    for (int k = 0; k < keys_.windowsOf(key); ++k) {
        const int g = windows[k];
        if (int(out.size()) == count && g >= out.back())
            continue;
        // Kept sorted by hand: count is a tenth of the key or so, and most grams go nowhere.
        const auto at = size_t(std::lower_bound(out.begin(), out.end(), g) - out.begin());
        if (at < out.size() && out[at] == g)
            continue;
        if (int(out.size()) == count)
            out.pop_back();
        out.insert(out.begin() + std::ptrdiff_t(at), g);
    }
}

void GramIndex::distinctOf(GramScratch& sc, int key, std::vector<int>& out) const {
    sc.seen.next();
    out.clear();
    const GramId* all = gramsOf(key);
    const int substrings = std::max(0, keys_.length(key) - keys_.group() + 1);
    for (int k = 0; k < substrings; ++k)
        if (sc.seen.first(all[k]))
            out.push_back(all[k]);
}

void GramIndex::windowsByRarity(int key, std::vector<int>& out) const {
    out.assign(gramsOf(key), gramsOf(key) + std::max(0, keys_.windowsOf(key)));
    sortByRarity(out);
}

void GramIndex::markQuery(GramScratch& sc, int key) const {
    ++sc.query;
    const int len = keys_.length(key);
    const int group = keys_.group();
    const GramId* all = gramsOf(key);
    const int substrings = std::max(0, len - group + 1);
    for (int k = 0; k < substrings; ++k) {
        const size_t g = size_t(all[k]);
        if (sc.queryStamp[g] != sc.query) {
            sc.queryStamp[g] = sc.query;
            sc.queryWindows[g] = 0;
        }
        if (k < len - group)
            ++sc.queryWindows[g];
    }
}

void GramIndex::verifyOther(GramScratch& sc, int key, int other, std::vector<KeyMatch>& out) const {
    if (keys_.group() == 0 || !exact_) {
        const MatchResult r = MatchCharacters(keys_.key(key), keys_.key(other), keys_.numbers());
        if (r.score >= keys_.minScore(r.base))
            out.push_back({other, r});
        return;
    }
    // Windows of the longer key counted by gram id: the query's grams are marked.
    MatchResult r;
    if (keys_.length(key) > keys_.length(other)) {
        r.method = Method::File1Longer;
        r.base = keys_.windowsOf(key);
        sc.seen.next();
        const GramId* all = gramsOf(other);
        const int substrings = keys_.length(other) - keys_.group() + 1;
        for (int k = 0; k < substrings; ++k) {
            const size_t g = size_t(all[k]);
            if (sc.seen.first(int(g)) && sc.queryStamp[g] == sc.query)
                r.score += sc.queryWindows[g];
        }
    } else {
        r.method = Method::File2Longer;
        r.base = keys_.windowsOf(other);
        const int need = keys_.minScore(r.base);
        const GramId* windows = gramsOf(other);
        for (int k = 0; k < r.base; ++k) {
            if (sc.queryStamp[size_t(windows[k])] == sc.query)
                ++r.score;
            else if (r.base - k - 1 + r.score < need)
                return; // too many misses already
        }
    }
    if (r.score >= keys_.minScore(r.base))
        out.push_back({other, r});
}

} // namespace nw
