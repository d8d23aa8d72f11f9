#include "plugin/SharedTables.h"

#include <mutex>
#include <new>
#include <thread>

#include "dsp/stars/HrirSetCache.h"
#include "dsp/stars/SkyPoints.h"
#include "plugin/MappingCalibration.h"

namespace halcyra {

namespace {

// The measurements and the calibration, each on its own thread: an activation that
// follows at once waits for the longer of the two, not for both in turn.
enum Table { kMeasurements, kCalibration, kTableCount };

struct Worker {
    std::mutex mutex;
    std::thread threads[kTableCount];  // guarded by mutex
    bool started[kTableCount] = {};    // guarded by mutex

    // Without a thread (none could be made) the activation computes the table itself.
    void start(Table table, void (*compute)() noexcept) {
        std::lock_guard<std::mutex> lock(mutex);
        if (started[table]) return;
        try {
            threads[table] = std::thread(compute);
            started[table] = true;
        } catch (...) {
        }
    }

    void join() {
        std::lock_guard<std::mutex> lock(mutex);
        for (std::thread& t : threads)
            if (t.joinable()) t.join();
    }
};

// Never destroyed, like the tables: a host may leave the module from its exit handlers.
// In the module's own storage, so unloading the module leaves nothing on the heap.
Worker& worker() {
    alignas(Worker) static unsigned char storage[sizeof(Worker)];
    static Worker* const w = new (storage) Worker;
    return *w;
}

// A module unloaded or a process ending without the module being left must not unmap
// or tear down what the thread still runs.
struct JoinAtUnload {
    ~JoinAtUnload() { worker().join(); }
} joinAtUnload;

// Neither lets anything escape (out of memory): the activation tries again and handles it.
void readMeasurements() noexcept {
    try {
        const SkyPoints& points = skyPoints();
        readKemarSource(SkyPoints::kCount, points.azimuths(), points.elevations());
    } catch (...) {
    }
}

void calibrate() noexcept {
    try {
        mappingCalibration();
    } catch (...) {
    }
}

}  // namespace

void startMeasurementRead() noexcept { worker().start(kMeasurements, readMeasurements); }

void startSharedTables() noexcept {
    startMeasurementRead();
    worker().start(kCalibration, calibrate);
}

void releaseSharedTables() noexcept {
    Worker& w = worker();
    w.join();
    {
        std::lock_guard<std::mutex> lock(w.mutex);
        for (bool& s : w.started) s = false;
    }
    releaseKemarCache();
}

}  // namespace halcyra
