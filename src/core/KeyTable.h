#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace nw {

// The distinct comparison keys of one scan, in pools of fixed size that never move, and which
// key each file has. Files with equal keys compare equally with everything, so they are
// compared once.
class KeyTable {
public:
    // Adds the key of the next file; returns its key id.
    int add(const QString& key);

    int keyCount() const { return int(keys_.size()); }
    QStringView key(int id) const {
        const Key& k = keys_[size_t(id)];
        return QStringView(pools_[k.pool].data() + k.offset, qsizetype(k.length));
    }
    int length(int id) const { return int(keys_[size_t(id)].length); }
    void releaseLookup();

private:
    struct Key {
        uint32_t pool;
        uint32_t offset;
        uint32_t length;
    };
    // Grown a pool at a time, so the keys are never copied to make room.
    std::vector<std::vector<char16_t>> pools_;
    std::vector<Key> keys_;
    std::vector<int> slots_; // open addressing over key ids, -1 empty; only while keys are added
    void grow();
};

} // namespace nw
