#pragma once

#include <QStringView>

#include <cstdint>
#include <utility>
#include <vector>

namespace nw {

// Edit distance when it is at most limit, otherwise limit + 1.
int editDistanceWithin(QStringView a, QStringView b, int limit);

// Bit-parallel edit distance (Myers, in Hyyro's form) against a pattern of at most 64 units:
// one machine word holds a whole column of the matrix.
class PatternMasks {
public:
    explicit PatternMasks(QStringView pattern) { reset(pattern); }
    void reset(QStringView pattern) {
        for (char16_t c : used_)
            low_[c] = 0;
        used_.clear();
        highCount_ = 0;
        size_ = int(pattern.size());
        for (int i = 0; i < size_; ++i) {
            const char16_t c = pattern[i].unicode();
            const uint64_t bit = uint64_t(1) << i;
            if (c < 256) {
                if (!low_[c])
                    used_.push_back(c);
                low_[c] |= bit;
                continue;
            }
            int k = 0;
            while (k < highCount_ && high_[k].first != c)
                ++k;
            if (k == highCount_)
                high_[highCount_++] = {c, 0};
            high_[k].second |= bit;
        }
    }
    int size() const { return size_; }
    uint64_t of(char16_t c) const {
        if (c < 256)
            return low_[c];
        for (int k = 0; k < highCount_; ++k)
            if (high_[k].first == c)
                return high_[k].second;
        return 0;
    }

private:
    uint64_t low_[256] = {};
    std::vector<char16_t> used_;
    std::pair<char16_t, uint64_t> high_[64];
    int highCount_ = 0;
    int size_ = 0;
};

int bitParallelWithin(const PatternMasks& pattern, QStringView text, int limit);

} // namespace nw
