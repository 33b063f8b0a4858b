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
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.tag != b.tag ? a.tag < b.tag : a.value < b.value;
    });
    index(items);
    for (Item& item : items)
        item.tag = tags[size_t(item.value)];
    entries_.swap(items);
    std::vector<Item>().swap(items);
}

void FrozenPostings::index(const std::vector<Item>& items) {
    std::size_t lists = 0;
    for (std::size_t k = 0; k < items.size(); ++k)
        lists += k == 0 || items[k].tag != items[k - 1].tag;
    std::size_t size = 16;
    while (size < lists + lists / 2)
        size *= 2;
    slots_.assign(size, Slot{0, 0, 0});
    const std::size_t mask = size - 1;
    for (std::size_t k = 0; k < items.size();) {
        std::size_t e = k + 1;
        while (e < items.size() && items[e].tag == items[k].tag)
            ++e;
        std::size_t s = mix(items[k].tag) & mask;
        while (slots_[s].end != 0)
            s = (s + 1) & mask;
        slots_[s] = Slot{items[k].tag, uint32_t(k), uint32_t(e)};
        k = e;
    }
}

} // namespace nw
