#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

namespace nw::bench {

// Bumped whenever the same seed starts giving other names, so stored trees are not reused.
inline constexpr int kGeneratorVersion = 1;

// A small fixed generator: the same seed gives the same names with every compiler and library,
// which the standard distributions do not promise.
class Rng {
public:
    explicit Rng(uint64_t seed)
        : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // In [0, n); n > 0.
    uint32_t below(uint32_t n) { return uint32_t((uint64_t(uint32_t(next() >> 32)) * n) >> 32); }
    bool perMille(uint32_t p) { return below(1000) < p; }

private:
    uint64_t state_;
};

struct GeneratedFile {
    std::string folder; // relative, '/'-separated, without a trailing '/'
    std::string name;   // UTF-8
    bool nearDuplicate = false;
};

// An endless stream of music-library files: Artist/Album (Year)/"NN - Artist - Title.ext", cover
// and notes files, and a few per cent near duplicates of tracks. The first k files do not depend
// on how many are taken, so a small tree is a prefix of a larger one with the same seed.
class NameGenerator {
public:
    explicit NameGenerator(uint64_t seed);
    GeneratedFile next();

private:
    void fillAlbum();
    void startArtist();
    std::string artistName();
    std::string title(int minWords, int maxWords);
    std::string nearDuplicate(const std::string& name, const std::string& extension);
    void addDuplicate(const GeneratedFile& original, const std::string& extension,
                      std::unordered_set<std::string>& albumNames);

    Rng rng_;
    std::deque<GeneratedFile> pending_;
    std::unordered_set<std::string> artists_;
    std::unordered_set<std::string> albums_;   // of the current artist
    std::unordered_set<std::string> incoming_; // names in the shared "Incoming" folder
    std::vector<std::string> recentArtists_;   // for guests and compilations
    std::string artist_;
    int albumsLeft_ = 0;
};

struct TreeStats {
    uint64_t files = 0;
    uint64_t folders = 0;
    uint64_t nearDuplicates = 0;
};

// Creates count empty files below root. root must be missing or empty. False with a message on
// the first failure.
bool makeTree(const std::string& root, uint64_t count, uint64_t seed, TreeStats& stats,
              std::string& error);

// A count option: digits, optionally followed by k or M ("10k", "1M").
bool parseCount(const std::string& text, uint64_t& value);

} // namespace nw::bench
