#pragma once

#include "core/IndexTools.h"
#include "core/KeyTable.h"
#include "core/NameMatching.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <vector>

namespace nw {

// Lengths and counts are kept in 16 bits, so that the list walks read less memory.
inline constexpr int CompactMax = 65535;

// The keys as every strategy of character matching sees them: the threshold, the group size,
// compact lengths, and which keys are active, by length.
class CharKeys {
public:
    CharKeys(const KeyTable& keys, const MatchNumbers& numbers)
        : keys_(keys)
        , numbers_(numbers)
        , percent_(numbers.percent.value)
        , active_(keys.keyCount()) {
        if (numbers.groupSize.ok() && numbers.groupSize.value >= 0)
            group_ = numbers.groupSize.value;
        lengthOf_.reserve(size_t(keys.keyCount()));
        for (int id = 0; id < keys.keyCount(); ++id)
            lengthOf_.push_back(uint16_t(std::min(keys.length(id), CompactMax)));
    }
    void activate(int key) {
        active_.add(key);
        const int len = keys_.length(key);
        if (size_t(len) >= byLength_.size())
            byLength_.resize(size_t(len) + 1);
        if (byLength_[size_t(len)].empty())
            lengths_.push_back(len);
        byLength_[size_t(len)].push_back(key);
    }

    const KeyTable& table() const { return keys_; }
    const MatchNumbers& numbers() const { return numbers_; }
    int count() const { return keys_.keyCount(); }
    QStringView key(int key) const { return keys_.key(key); }
    int length(int key) const { return keys_.length(key); }
    // Lengths up to CompactMax, for the list walks.
    int compactLength(int key) const { return lengthOf_[size_t(key)]; }
    // -1: no usable group size.
    int group() const { return group_; }
    int windowsOf(int key) const { return keys_.length(key) - group_; }

    // Least score that matches with base compared positions; INT_MAX when none can.
    int minScore(int base) const {
        if (base <= 0)
            return INT_MAX;
        const double threshold = (double(percent_) / 100.0) * double(base);
        if (!(threshold > 0))
            return INT_MAX;
        const double s = std::ceil(threshold);
        return s > double(base) ? INT_MAX : int(s);
    }

    const ActiveKeys& active() const { return active_; }
    // The lengths that have active keys, and those keys by length (up to the longest).
    const std::vector<int>& activeLengths() const { return lengths_; }
    int longestActive() const { return int(byLength_.size()) - 1; }
    const std::vector<int>& activeOfLength(int len) const { return byLength_[size_t(len)]; }

private:
    const KeyTable& keys_;
    const MatchNumbers& numbers_;
    int percent_;
    int group_ = -1;
    std::vector<uint16_t> lengthOf_;
    ActiveKeys active_;
    std::vector<std::vector<int>> byLength_;
    std::vector<int> lengths_;
};

} // namespace nw
