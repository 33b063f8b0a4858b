#pragma once

#include <functional>

namespace nw {

// A point where a long routine lets the window handle its events. May be empty.
using Yielder = std::function<void()>;

inline void yieldTo(const Yielder& yield) {
    if (yield)
        yield();
}

} // namespace nw
