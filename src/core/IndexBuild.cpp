#include "core/IndexBuild.h"
#include "core/IndexTools.h"
#include "core/NameMatching.h"

#include <chrono>
#include <thread>

namespace nw {

namespace {

// Files keyed per step: splitting a path and building its key cost more than indexing a key.
constexpr int KeyStep = 1024;
// Keys per step of the index builds (their yield periods).
constexpr int GramStep = 4096;
constexpr int IndexStep = IndexYieldPeriod;
// The longest wait for a step before the window is let in again.
constexpr auto WaitSlice = std::chrono::milliseconds(20);

// Thrown on the helper thread when the scan no longer wants the index.
struct Abandoned {};

// Steps the index of count keys is expected to take after keying.
long long indexSteps(long long count, const ScanSettings& settings) {
    if (settings.mode == MatchMode::Characters)
        return count / GramStep + count / IndexStep;
    return count / IndexStep;
}

} // namespace

IndexBuild::IndexBuild(const FileList& files, const ScanSettings& settings,
                       const MatchNumbers& numbers, Yielder yield)
    : files_(files)
    , settings_(settings)
    , numbers_(numbers)
    , yield_(std::move(yield))
    , expected_(files.size() / KeyStep + indexSteps(files.size(), settings)) {
    stepYield_ = [this] { step(); };
    scanThread_ = std::this_thread::get_id();
    thread_ = std::make_unique<Beside>([this] { build(); });
}

IndexBuild::~IndexBuild() {
    abandoned_ = true;
    thread_.reset(); // joins a running thread; work never started is not done
}

void IndexBuild::step() {
    ++steps_;
    if (abandoned_)
        throw Abandoned{};
    if (std::this_thread::get_id() == scanThread_) {
        yieldTo(yield_);
        return;
    }
    std::lock_guard lock(mutex_);
    stepped_.notify_all();
}

void IndexBuild::build() {
    // However the work ends, a waiting scan learns of it.
    struct Done {
        IndexBuild& build;
        ~Done() {
            build.done_ = true;
            std::lock_guard lock(build.mutex_);
            build.stepped_.notify_all();
        }
    } done{*this};
    try {
        const int n = int(files_.size());
        keyOf.assign(size_t(n) + 1, -1);
        keys.reserve(size_t(n), size_t(files_.nameChars()));
        for (int p = 1; p <= n; ++p) {
            if ((p & (KeyStep - 1)) == 0)
                step();
            const QString name = files_.name(p - 1);
            keyOf[size_t(p)] =
                keys.add(CompareKey(name, ExtensionOf(name), settings_.ignoreExtensions));
        }
        keys.releaseLookup();
        expected_ = steps_ + indexSteps(keys.keyCount(), settings_);
        if (numbers_.percent.ok() && numbers_.distance.ok())
            index = PairCandidates::make(keys, settings_.mode, numbers_, stepYield_);
    } catch (const Abandoned&) {
    }
}

double IndexBuild::share() const {
    if (done_)
        return 1.0;
    // Steps are estimated: the last of the work may come after them, and only done ends a wait
    // for all of it.
    const long long expected = expected_;
    return expected > 0 ? std::min(0.99, double(steps_) / double(expected)) : 0.0;
}

bool IndexBuild::waitFor(double wanted) {
    if (!thread_->started())
        return StopFlag;
    while (!StopFlag && share() < wanted) {
        yieldTo(yield_);
        std::unique_lock lock(mutex_);
        stepped_.wait_for(lock, WaitSlice, [&] { return done_ || share() >= wanted; });
    }
    return StopFlag;
}

void IndexBuild::finish() {
    if (thread_->started())
        waitFor(1.0);
    if (StopFlag)
        abandoned_ = true;
    thread_->join();
}

} // namespace nw
