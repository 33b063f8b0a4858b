#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nw {

// Spreads a hash over the low bits that pick a slot.
inline uint64_t mixHash(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

// Lists of ints under dense ids, each contiguous so that walking one is a linear read.
class Postings {
public:
    explicit Postings(std::size_t ids = 0)
        : lists_(ids) {}
    void resize(std::size_t ids) { lists_.assign(ids, {}); }
    void add(std::size_t id, int value) { lists_[id].push_back(value); }
    const std::vector<int>& at(std::size_t id) const { return lists_[id]; }
    template <typename F> void forEach(std::size_t id, F&& f) const {
        for (int value : lists_[id])
            f(value);
    }

private:
    std::vector<std::vector<int>> lists_;
};

// The same under 64-bit hashes, for keys too many or too sparse to number.
class HashPostings {
public:
    void add(uint64_t hash, int value);
    template <typename F> void forEach(uint64_t hash, F&& f) const {
        if (slots_.empty())
            return;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t s = mix(hash) & mask; slots_[s].head >= 0; s = (s + 1) & mask) {
            if (slots_[s].hash == hash) {
                for (int e = slots_[s].head; e >= 0; e = entries_[std::size_t(e)].next)
                    f(entries_[std::size_t(e)].value);
                return;
            }
        }
    }

private:
    static uint64_t mix(uint64_t h) { return mixHash(h); }
    void grow();
    struct Slot {
        uint64_t hash;
        int head;
    };
    struct Entry {
        int value;
        int next;
    };
    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
    std::size_t used_ = 0;
};

// Lists under 64-bit hashes built once from every entry, each list in ascending value order and
// contiguous, with a tag beside each value that lets a walk reject it without looking further.
// The lists lie in the order of their mixed hashes: a directory of the top bits leads to the few
// that may be the one, each known by the 32 bits below those, 8 bytes a list. Hashes alike in all
// those bits share a list, which only adds candidates.
class FrozenPostings {
public:
    struct Item {
        uint64_t hash;
        int value;
    };
    // Takes the items (emptied); tags[value] is each entry's tag.
    void build(std::vector<Item>& items, const std::vector<uint64_t>& tags);
    // The entries [from, to) of the list under hash; empty when there is none.
    void list(uint64_t hash, uint32_t& from, uint32_t& to) const {
        from = to = 0;
        if (dir_.empty())
            return;
        const uint64_t m = mixHash(hash);
        const size_t bucket = size_t(m >> shift_);
        const uint32_t check = uint32_t(m >> (shift_ - 32));
        for (uint32_t k = dir_[bucket]; k < dir_[bucket + 1]; ++k)
            if (lists_[k].check == check) {
                from = lists_[k].begin;
                to = lists_[k + 1].begin;
                return;
            }
    }
    int value(uint32_t e) const { return values_[e]; }
    uint64_t tag(uint32_t e) const { return tags_[e]; }

private:
    struct List {
        uint32_t check; // the 32 bits of the mixed hash below the directory's
        uint32_t begin;
    };
    int shift_ = 32;            // 64 - the directory's bits
    std::vector<uint32_t> dir_; // per top bits, the first list with them
    std::vector<List> lists_;   // and one past the last, at the end
    std::vector<int> values_;
    std::vector<uint64_t> tags_;
};

} // namespace nw
