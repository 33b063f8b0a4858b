#pragma once

#include <type_traits>
#include <utility>

namespace nw {

// One process-wide service that the program reads and a main or a test replaces (an error sink,
// the dialogs, a fault hook, a switch). Only a ScopedService changes it, so every replacement
// is undone, in the reverse order, when its scope ends.
template <typename T> class Service {
public:
    Service() = default;
    explicit Service(T initial)
        : current_(std::move(initial)) {}
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    const T& get() const { return current_; }

private:
    template <typename> friend class ScopedService;
    T current_{};
};

// Puts value in the service's place while it lives, then the one it found there back. A
// temporary would put it back at once, hence nodiscard.
template <typename T> class ScopedService {
public:
    [[nodiscard]] ScopedService(Service<T>& service, std::type_identity_t<T> value)
        : service_(service)
        , previous_(std::exchange(service.current_, std::move(value))) {}
    ~ScopedService() { service_.current_ = std::move(previous_); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

private:
    Service<T>& service_;
    T previous_;
};

} // namespace nw
