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
    bool empty(std::size_t id) const { return lists_[id].empty(); }
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
class FrozenPostings {
public:
    struct Entry {
        uint64_t tag;
        int value;
    };
    // An entry to be, whose tag holds its list's hash until build: the entries are made in the
    // items' own memory.
    using Item = Entry;
    // Takes the items (emptied); tags[value] is each entry's tag.
    void build(std::vector<Item>& items, const std::vector<uint64_t>& tags);
    // The list under hash, from its smallest value on; empty when there is none.
    const Entry* list(uint64_t hash, const Entry*& end) const {
        end = nullptr;
        if (slots_.empty())
            return nullptr;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t s = mix(hash) & mask; slots_[s].end != 0; s = (s + 1) & mask) {
            if (slots_[s].hash == hash) {
                end = entries_.data() + slots_[s].end;
                return entries_.data() + slots_[s].begin;
            }
        }
        return nullptr;
    }

private:
    static uint64_t mix(uint64_t h) { return mixHash(h); }
    void index(const std::vector<Item>& items);
    struct Slot {
        uint64_t hash;
        uint32_t begin;
        uint32_t end; // 0: a free slot (no list ends at 0)
    };
    std::vector<Slot> slots_;
    std::vector<Entry> entries_;
};

} // namespace nw
