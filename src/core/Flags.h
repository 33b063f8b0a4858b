#pragma once

#include <atomic>

namespace nw {

// Requests into a running scan. Lock-free atomics, so a signal handler may raise them too.
extern std::atomic<bool> StopFlag;
extern std::atomic<bool> CRCSkipFlag;

} // namespace nw
