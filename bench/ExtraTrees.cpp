#include "ExtraTrees.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace nw::bench {

namespace {

bool makeFile(const std::string& path, const std::vector<char>& content, off_t size,
              std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    if (ok && !content.empty())
        ok = ::write(fd, content.data(), content.size()) == ssize_t(content.size());
    if (ok && size > off_t(content.size()))
        ok = ::ftruncate(fd, size) == 0;
    if (fd >= 0)
        ok = ::close(fd) == 0 && ok;
    if (!ok)
        error = "cannot make " + path + ": " + std::strerror(errno);
    return ok;
}

// A name nothing else resembles: letters drawn from the number, no common runs.
std::string scrambled(uint64_t n) {
    std::string text;
    uint64_t state = n * 0x9E3779B97F4A7C15ULL + 1;
    for (int k = 0; k < 14; ++k) {
        state ^= state >> 29;
        state *= 0xBF58476D1CE4E5B9ULL;
        text += char('a' + (state >> 59) % 26);
    }
    return text;
}

} // namespace

bool makeCoverTree(const std::string& folder, uint64_t albums, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (uint64_t a = 0; a < albums; ++a) {
        const std::string album = folder + "/Album " + scrambled(a);
        std::filesystem::create_directories(album, ec);
        if (ec) {
            error = "cannot make " + album + ": " + ec.message();
            return false;
        }
        if (!makeFile(album + "/cover.jpg", {}, 0, error))
            return false;
        for (uint64_t t = 1; t <= 3; ++t)
            if (!makeFile(album + "/" + scrambled(a * 4 + t + (uint64_t(1) << 40)) + ".mp3", {}, 0,
                          error))
                return false;
    }
    return true;
}

bool makeChecksumTree(const std::string& folder, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const off_t gib = off_t(1) << 30;
    for (int k = 0; k < 16; ++k)
        if (!makeFile(folder + "/large " + scrambled(uint64_t(k)) + ".bin", {'x'},
                      4 * gib + off_t(k) * 4096, error))
            return false;
    const std::vector<char> mib(size_t(1) << 20, 'e');
    std::filesystem::create_directories(folder + "/a", ec);
    std::filesystem::create_directories(folder + "/b", ec);
    return makeFile(folder + "/a/equal.dat", mib, 0, error) &&
           makeFile(folder + "/b/same.dat", mib, 0, error);
}

} // namespace nw::bench
