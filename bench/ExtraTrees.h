#pragma once

#include <cstdint>
#include <string>

namespace nw::bench {

// albums folders below folder, each with a cover.jpg and three tracks whose names match nothing:
// the covers give albums^2/2 rows. False (error set) when a file cannot be made.
bool makeCoverTree(const std::string& folder, uint64_t albums, std::string& error);

// 16 sparse files of distinct sizes, 4 GiB each, and two equal 1 MiB files: a checksum can only
// pair the two, and only they need reading.
bool makeChecksumTree(const std::string& folder, std::string& error);

} // namespace nw::bench
