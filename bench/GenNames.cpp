#include "NameGenerator.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace nw::bench;

namespace {

const char* const kUsage =
    "Usage: namewick-gen-names [--count N] [--seed S] [--make-tree DIR]\n"
    "Generates music-library paths: Artist/Album (Year)/\"NN - Artist - Title.ext\", cover and\n"
    "notes files, and a few per cent near duplicates. The same seed gives the same names.\n"
    "  --count N        number of files (default 1000; 10k and 1M are understood)\n"
    "  --seed S         seed (default 1)\n"
    "  --make-tree DIR  create the files, empty, below DIR (missing or empty) instead of\n"
    "                   printing their relative paths\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "namewick-gen-names: %s\nTry 'namewick-gen-names --help'.\n",
                 message.c_str());
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    uint64_t count = 1000;
    uint64_t seed = 1;
    std::string treeRoot;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (k + 1 >= argc)
            return usageError(arg == "--count" || arg == "--seed" || arg == "--make-tree"
                                  ? arg + " needs a value"
                                  : "unknown option " + arg);
        const std::string value = argv[++k];
        if (arg == "--count") {
            if (!parseCount(value, count))
                return usageError("bad count " + value);
        } else if (arg == "--seed") {
            if (!parseCount(value, seed))
                return usageError("bad seed " + value);
        } else if (arg == "--make-tree") {
            treeRoot = value;
        } else {
            return usageError("unknown option " + arg);
        }
    }

    if (treeRoot.empty()) {
        static char buffer[1 << 20];
        std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
        NameGenerator generator(seed);
        for (uint64_t k = 0; k < count; ++k) {
            const GeneratedFile f = generator.next();
            std::fputs(f.folder.c_str(), stdout);
            std::fputc('/', stdout);
            std::fputs(f.name.c_str(), stdout);
            std::fputc('\n', stdout);
        }
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    const auto start = std::chrono::steady_clock::now();
    TreeStats stats;
    std::string error;
    const bool ok = makeTree(treeRoot, count, seed, stats, error);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) {
        std::fprintf(stderr, "namewick-gen-names: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "%llu files (%llu near duplicates) in %llu folders below %s, %.1f s\n",
                 static_cast<unsigned long long>(stats.files),
                 static_cast<unsigned long long>(stats.nearDuplicates),
                 static_cast<unsigned long long>(stats.folders), treeRoot.c_str(), seconds);
    return 0;
}
