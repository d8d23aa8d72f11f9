#include "plugin/SharedTables.h"

#include <mutex>
#include <new>
#include <thread>

#include "dsp/stars/HrirSetCache.h"
#include "dsp/stars/SkyPoints.h"
#include "plugin/MappingCalibration.h"

namespace halcyra {

namespace {

struct Worker {
    std::mutex mutex;
    // The measurements and the calibration, each on its own thread: an activation
    // that follows at once waits for the longer of the two, not for both in turn.
    std::thread threads[2];  // guarded by mutex
    bool started = false;

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

void startSharedTables() noexcept {
    Worker& w = worker();
    std::lock_guard<std::mutex> lock(w.mutex);
    if (w.started) return;
    try {
        w.threads[0] = std::thread(readMeasurements);
        w.started = true;  // even if the second thread fails: the activation calibrates
        w.threads[1] = std::thread(calibrate);
    } catch (...) {
        // No thread: the activation computes the tables when it needs them.
    }
}

void releaseSharedTables() noexcept {
    Worker& w = worker();
    w.join();
    {
        std::lock_guard<std::mutex> lock(w.mutex);
        w.started = false;
    }
    releaseKemarCache();
}

}  // namespace halcyra
