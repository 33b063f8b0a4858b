#include "core/KeyTable.h"

#include <QHashFunctions>

namespace nw {

namespace {
size_t hashOf(QStringView key) {
    return qHash(key, 0x9e3779b9u);
}
} // namespace

void KeyTable::grow() {
    std::vector<int> bigger(slots_.empty() ? 1024 : slots_.size() * 2, -1);
    const size_t mask = bigger.size() - 1;
    for (int id = 0; id < keyCount(); ++id) {
        size_t s = hashOf(key(id)) & mask;
        while (bigger[s] >= 0)
            s = (s + 1) & mask;
        bigger[s] = id;
    }
    slots_.swap(bigger);
}

// Room reserved and never written costs no memory: its pages are never touched.
void KeyTable::reserve(size_t keys, size_t chars) {
    keys_.reserve(keys);
    pool_.reserve(chars);
    size_t room = 1024;
    while (room < 2 * (keys + 1))
        room *= 2;
    if (keys_.empty() && room > slots_.size())
        slots_.assign(room, -1);
}

int KeyTable::add(const QString& text) {
    if ((keys_.size() + 1) * 2 > slots_.size())
        grow();
    const QStringView view(text);
    const size_t mask = slots_.size() - 1;
    size_t s = hashOf(view) & mask;
    while (slots_[s] >= 0) {
        if (key(slots_[s]) == view)
            return slots_[s];
        s = (s + 1) & mask;
    }
    const int id = int(keys_.size());
    keys_.push_back({uint64_t(pool_.size()), uint32_t(text.size())});
    const auto* data = reinterpret_cast<const char16_t*>(text.constData());
    pool_.insert(pool_.end(), data, data + text.size());
    slots_[s] = id;
    return id;
}

void KeyTable::releaseLookup() {
    std::vector<int>().swap(slots_);
}

} // namespace nw
