#pragma once

#include "core/PairCandidates.h"

namespace nw {

// Levenshtein mode's candidate search for a distance of 0 or more.
std::unique_ptr<PairCandidates> makeDistanceCandidates(const KeyTable& keys, int distance,
                                                       const Yielder& yield);

} // namespace nw
