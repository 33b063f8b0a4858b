#pragma once

#include "core/Flags.h"
#include "core/Postings.h"
#include "core/Yield.h"

#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

// Pieces shared by the candidate searches of both comparison modes.
namespace nw {

// Keys indexed between two looks at the window (a power of two): a key costs only a few hashes,
// so looking more often would cost more than it gives.
inline constexpr int IndexYieldPeriod = 8192;

// Lets the window in every few thousand keys while an index is built; true once Stop is pressed,
// and the scan then ends before the index is asked.
inline bool stoppedWhileIndexing(int key, const Yielder& yield) {
    if ((key & (IndexYieldPeriod - 1)) != 0)
        return false;
    yieldTo(yield);
    return StopFlag;
}

// FNV-1a: cheap per character, and good enough where equal hashes only make candidates.
inline constexpr uint64_t FnvOffset = 1469598103934665603ULL;
inline constexpr uint64_t FnvPrime = 1099511628211ULL;

// A piece of a key of some length at piece index s, hashed; equal hashes only make candidates,
// which verification then checks.
inline uint64_t pieceHash(int length, int s, QStringView text) {
    uint64_t h = FnvOffset ^ (uint64_t(length) << 32) ^ uint64_t(s);
    for (QChar c : text)
        h = (h ^ c.unicode()) * FnvPrime;
    return h;
}

// Piece s of a key of some length cut into parts pieces as even as can be, the longer ones
// last, so that where a piece lies follows from the length and its index alone.
struct Piece {
    int start;
    int size;
};
inline Piece pieceOf(int length, int parts, int s) {
    const int small = length / parts, longer = length % parts;
    const int smallCount = parts - longer;
    return {s * small + std::max(0, s - smallCount), s < smallCount ? small : small + 1};
}

// One of 64 bits, picked by the top six bits of a mixed hash.
inline uint64_t bitOfHash(uint64_t h) {
    return uint64_t(1) << (h >> 58);
}

// Which characters a key holds, in 64 classes. Every class of one key that the other lacks costs
// an edit or a mismatched position of its own.
inline uint64_t charClasses(QStringView text) {
    uint64_t m = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        m |= uint64_t(1) << (u < 128 ? u & 63 : (u * 0x9E37u) >> 10 & 63);
    }
    return m;
}

// Which characters a key holds at which positions, hashed into 64 bits. Between keys of equal
// length a bit found in one signature only comes from a mismatched position.
inline uint64_t placedChars(QStringView text) {
    uint64_t m = 0;
    for (qsizetype k = 0; k < text.size(); ++k)
        m |= bitOfHash(mixHash(uint64_t(k) << 16 | text[k].unicode()));
    return m;
}

// Which pairs of neighbouring characters a key holds, hashed into 64 bits. An edit breaks at most
// two of a key's pairs, so within d edits at most 2d bits of either key are missing from the
// other.
inline uint64_t pairedChars(QStringView text) {
    uint64_t m = 0;
    for (qsizetype k = 1; k < text.size(); ++k)
        m |= bitOfHash(mixHash(uint64_t(text[k - 1].unicode()) << 16 | text[k].unicode()));
    return m;
}

// Whether at most n bits of wanted are missing from held.
inline bool fewBitsMissing(uint64_t wanted, uint64_t held, int n) {
    // At most n + 1 steps; a popcount instruction is not in the baseline instruction set.
    uint64_t bits = wanted & ~held;
    for (int k = 0; k < n && bits; ++k)
        bits &= bits - 1;
    return bits == 0;
}

// Whether at most n classes of either key are missing from the other.
inline bool fewClassesMissing(uint64_t a, uint64_t b, int n) {
    return fewBitsMissing(a, b, n) && fewBitsMissing(b, a, n);
}

// Whether starting a helper thread is made to fail, as it does when the process may start no
// more (a thread limit, a full process table). For tests.
bool helperThreadsRefused();

// Runs work on another thread until joined; join() throws again whatever the work threw. When no
// thread can be started, the work runs on the caller's thread at join() instead.
class Beside {
public:
    template <typename Work>
    explicit Beside(Work work)
        : work_(std::move(work)) {
        try {
            if (helperThreadsRefused())
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
        }
    }
    // Whether the work runs on a thread of its own (and not at join()).
    bool started() const { return thread_.joinable(); }
    Beside(const Beside&) = delete;
    Beside& operator=(const Beside&) = delete;
    ~Beside() {
        if (thread_.joinable())
            thread_.join();
    }
    void join() {
        if (thread_.joinable())
            thread_.join();
        else if (work_)
            run();
        work_ = nullptr;
        if (failure_)
            std::rethrow_exception(failure_);
    }

private:
    void run() {
        try {
            work_();
        } catch (...) {
            failure_ = std::current_exception();
        }
    }

    std::function<void()> work_;
    std::exception_ptr failure_;
    std::thread thread_;
};

// Which keys are active. Keys are activated in id order (ids count keys in order of their first
// file), so while that order holds the active keys are exactly those below a bound, and a walk
// over a list sorted by id stops at the bound and looks nothing up.
class ActiveKeys {
public:
    explicit ActiveKeys(int keys)
        : active_(size_t(keys), 0) {}
    void add(int key) {
        ++count_;
        active_[size_t(key)] = 1;
        if (key != bound_)
            inOrder_ = false;
        bound_ = std::max(bound_, key + 1);
    }
    bool has(int key) const { return active_[size_t(key)]; }
    // No key from here on is active.
    int bound() const { return bound_; }
    // Whether a key below the bound is active.
    bool hasBelow(int key) const { return inOrder_ || active_[size_t(key)]; }
    int count() const { return count_; }

private:
    std::vector<char> active_;
    int bound_ = 0;
    bool inOrder_ = true;
    int count_ = 0;
};

// Marks which keys a query has already looked at.
class Stamps {
public:
    explicit Stamps(int keys = 0)
        : marks_(size_t(keys), 0) {}
    void next() {
        // Wrapped round, old marks would read as the new stamp's.
        if (++stamp_ == 0) {
            std::fill(marks_.begin(), marks_.end(), 0);
            stamp_ = 1;
        }
    }
    bool first(int key) {
        if (marks_[size_t(key)] == stamp_)
            return false;
        marks_[size_t(key)] = stamp_;
        return true;
    }

private:
    std::vector<uint32_t> marks_;
    uint32_t stamp_ = 0;
};

} // namespace nw
