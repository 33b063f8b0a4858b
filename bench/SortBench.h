#pragma once

#include <cstdint>

namespace nw::bench {

// Sorts `rows` generated rows over as many generated files by each column, ascending, and
// prints the times as a Markdown table; with compare, also the sort of the ready texts with
// textLess that the list used before, and whether both orders agree. 0 when they all do.
int sortRowsBench(uint64_t rows, uint64_t seed, bool compare);

} // namespace nw::bench
