#include "core/Flags.h"

namespace nw {

std::atomic<bool> StopFlag{false};
std::atomic<bool> CRCSkipFlag{false};

static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace nw
