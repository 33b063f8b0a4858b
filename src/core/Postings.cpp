#include "core/Postings.h"

#include <algorithm>

namespace nw {

void HashPostings::grow() {
    std::vector<Slot> bigger(slots_.empty() ? 1024 : slots_.size() * 2, Slot{0, -1});
    const std::size_t mask = bigger.size() - 1;
    for (const Slot& slot : slots_) {
        if (slot.head < 0)
            continue;
        std::size_t s = mix(slot.hash) & mask;
        while (bigger[s].head >= 0)
            s = (s + 1) & mask;
        bigger[s] = slot;
    }
    slots_.swap(bigger);
}

void HashPostings::add(uint64_t hash, int value) {
    if ((used_ + 1) * 2 > slots_.size())
        grow();
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = mix(hash) & mask;
    while (slots_[s].head >= 0 && slots_[s].hash != hash)
        s = (s + 1) & mask;
    if (slots_[s].head < 0) {
        slots_[s].hash = hash;
        ++used_;
    }
    entries_.push_back({value, slots_[s].head});
    slots_[s].head = int(entries_.size() - 1);
}

void FrozenPostings::build(std::vector<Item>& items, const std::vector<uint64_t>& tags) {
    for (Item& item : items)
        item.hash = mixHash(item.hash);
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.value < b.value;
    });
    size_t lists = 0;
    for (size_t k = 0; k < items.size(); ++k)
        lists += k == 0 || items[k].hash != items[k - 1].hash;
    int bits = 1;
    while (bits < 32 && (size_t(1) << bits) < lists)
        ++bits;
    shift_ = 64 - bits;
    const auto prefix = [this](uint64_t m) { return m >> (shift_ - 32); };
    // Hashes alike in every bit kept share a list, which must be in value order too.
    for (size_t k = 0; k < items.size();) {
        size_t e = k + 1;
        while (e < items.size() && prefix(items[e].hash) == prefix(items[k].hash))
            ++e;
        if (items[e - 1].hash != items[k].hash)
            std::sort(items.begin() + std::ptrdiff_t(k), items.begin() + std::ptrdiff_t(e),
                      [](const Item& a, const Item& b) { return a.value < b.value; });
        k = e;
    }
    dir_.assign((size_t(1) << bits) + 1, 0);
    lists_.clear();
    lists_.reserve(lists + 1);
    values_.resize(items.size());
    for (size_t k = 0; k < items.size(); ++k) {
        values_[k] = items[k].value;
        if (k > 0 && prefix(items[k].hash) == prefix(items[k - 1].hash))
            continue;
        lists_.push_back({uint32_t(prefix(items[k].hash)), uint32_t(k)});
        ++dir_[size_t(items[k].hash >> shift_) + 1];
    }
    lists_.push_back({0, uint32_t(items.size())});
    for (size_t b = 1; b < dir_.size(); ++b)
        dir_[b] += dir_[b - 1];
    std::vector<Item>().swap(items);
    tags_.resize(values_.size());
    for (size_t k = 0; k < values_.size(); ++k)
        tags_[k] = tags[size_t(values_[k])];
}

} // namespace nw
