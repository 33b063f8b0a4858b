#pragma once

#include "core/FileEnumeration.h"
#include "core/KeyTable.h"
#include "core/PairCandidates.h"
#include "core/ScanSettings.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace nw {

class Beside;

// The comparison keys of a scan's files and the candidate index over them, built on a helper
// thread: the keys while the walk lists the files, the index while phase 1 runs, so that the
// window's progress moves while the index grows instead of standing still before phase 2. Where
// no thread can be started, the work runs at finish().
class IndexBuild {
public:
    // The settings and numbers must outlive the build. yield: the scan's own, for work done on
    // the scan's thread.
    IndexBuild(const ScanSettings& settings, const MatchNumbers& numbers, Yielder yield);
    // Abandons an unfinished build and waits for its thread.
    ~IndexBuild();
    IndexBuild(const IndexBuild&) = delete;
    IndexBuild& operator=(const IndexBuild&) = delete;

    // Hands over the files listed since the last hand-over, once they are a batch: the walk's list
    // as it stands.
    void feed(const FileList& listed);
    // The walk has ended with these files.
    void fed(const FileList& files);
    // Waits, letting the window in, until about share (0 to 1) of the work is done; at once
    // when the work does not run on a thread of its own. True when Stop is pressed meanwhile.
    bool waitFor(double share);
    // Waits for the whole work, or does it here; throws what the work threw.
    void finish();

    KeyTable keys;
    std::vector<int> keyOf; // position -> key id; slot 0 unused
    // Null when the numbers the index needs cannot be read.
    std::unique_ptr<PairCandidates> index;

private:
    void build();
    void handOver(const FileList& listed);
    void step(); // a unit of work is done
    double share() const;

    // Names handed over by the walk: their characters one after the other, and where each ends.
    struct Names {
        QString chars;
        std::vector<qsizetype> ends;
    };
    bool nextNames(Names& out); // false once the walk has ended and every name is taken

    const ScanSettings& settings_;
    const MatchNumbers& numbers_;
    Yielder yield_;
    Yielder stepYield_;
    std::atomic<long long> steps_{0};
    std::atomic<long long> expected_;
    std::atomic<bool> done_{false};
    std::atomic<bool> abandoned_{false};
    qsizetype handed_ = 0;      // files handed over, on the walk's thread
    std::deque<Names> pending_; // under mutex_
    bool walked_ = false;       // under mutex_
    std::mutex mutex_;
    std::condition_variable stepped_; // a step done, names handed over, the walk ended
    std::thread::id scanThread_;
    std::unique_ptr<Beside> thread_;
};

} // namespace nw
