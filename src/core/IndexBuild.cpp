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

IndexBuild::IndexBuild(const ScanSettings& settings, const MatchNumbers& numbers, Yielder yield)
    : settings_(settings)
    , numbers_(numbers)
    , yield_(std::move(yield))
    , expected_(0) {
    stepYield_ = [this] { step(); };
    scanThread_ = std::this_thread::get_id();
    thread_ = std::make_unique<Beside>([this] { build(); });
}

IndexBuild::~IndexBuild() {
    {
        std::lock_guard lock(mutex_);
        abandoned_ = true;
    }
    stepped_.notify_all();
    thread_.reset(); // joins a running thread; work never started is not done
}

void IndexBuild::feed(const FileList& listed) {
    // Handed over in batches: waking the helper for every folder cost more than keying.
    if (listed.size() - handed_ < KeyStep)
        return;
    handOver(listed);
}

void IndexBuild::handOver(const FileList& listed) {
    if (listed.size() == handed_)
        return;
    Names names;
    names.ends.reserve(size_t(listed.size() - handed_));
    for (qsizetype i = handed_; i < listed.size(); ++i) {
        names.chars.append(listed.nameView(i));
        names.ends.push_back(names.chars.size());
    }
    handed_ = listed.size();
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(names));
    }
    stepped_.notify_all();
}

void IndexBuild::fed(const FileList& files) {
    handOver(files);
    expected_ = files.size() / KeyStep + indexSteps(files.size(), settings_);
    {
        std::lock_guard lock(mutex_);
        walked_ = true;
    }
    stepped_.notify_all();
}

bool IndexBuild::nextNames(Names& out) {
    std::unique_lock lock(mutex_);
    stepped_.wait(lock, [&] { return !pending_.empty() || walked_ || abandoned_; });
    if (abandoned_)
        throw Abandoned{};
    if (pending_.empty())
        return false;
    out = std::move(pending_.front());
    pending_.pop_front();
    return true;
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
        keyOf.assign(1, -1);
        Names names;
        while (nextNames(names)) {
            qsizetype start = 0;
            for (const qsizetype end : names.ends) {
                if ((keyOf.size() & (KeyStep - 1)) == 0)
                    step();
                const QString name = names.chars.mid(start, end - start);
                keyOf.push_back(
                    keys.add(CompareKey(name, ExtensionOf(name), settings_.ignoreExtensions)));
                start = end;
            }
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
