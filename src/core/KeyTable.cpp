#include "core/KeyTable.h"

#include <QHashFunctions>

#include <algorithm>

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

namespace {
constexpr size_t PoolChars = size_t(1) << 20;
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
    const size_t length = size_t(text.size());
    if (pools_.empty() || pools_.back().size() + length > pools_.back().capacity()) {
        pools_.emplace_back();
        pools_.back().reserve(std::max(PoolChars, length));
    }
    std::vector<char16_t>& pool = pools_.back();
    keys_.push_back({uint32_t(pools_.size() - 1), uint32_t(pool.size()), uint32_t(length)});
    const auto* data = reinterpret_cast<const char16_t*>(text.constData());
    pool.insert(pool.end(), data, data + length);
    slots_[s] = id;
    return id;
}

void KeyTable::releaseLookup() {
    std::vector<int>().swap(slots_);
}

} // namespace nw
