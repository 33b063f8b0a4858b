#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace nw {

// The distinct comparison keys of one scan, in one pool, and which key each file has.
// Files with equal keys compare equally with everything, so they are compared once.
class KeyTable {
public:
    // Room for keys of up to chars characters in all, so that adding them moves nothing.
    void reserve(size_t keys, size_t chars);
    // Adds the key of the next file; returns its key id.
    int add(const QString& key);

    int keyCount() const { return int(keys_.size()); }
    QStringView key(int id) const {
        const Key& k = keys_[size_t(id)];
        return QStringView(pool_.data() + k.offset, qsizetype(k.length));
    }
    int length(int id) const { return int(keys_[size_t(id)].length); }
    void releaseLookup();

private:
    struct Key {
        uint64_t offset;
        uint32_t length;
    };
    std::vector<char16_t> pool_;
    std::vector<Key> keys_;
    std::vector<int> slots_; // open addressing over key ids, -1 empty; only while keys are added
    void grow();
};

} // namespace nw
