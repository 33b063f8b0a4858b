#include "Postings.h"

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

} // namespace nw
