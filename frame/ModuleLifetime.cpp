#include "frame/ModuleLifetime.h"

#include <fftw3.h>

#include <mutex>

#include "plugin/SharedTables.h"

namespace halcyra::vst3 {
namespace {

std::mutex gMutex;
int gUseCount = 0;       // guarded by gMutex
int gLiveInstances = 0;  // guarded by gMutex

// FFTW keeps its planner state in process-wide memory that outlives every plan; it
// is only safe to drop once no instance (and so no plan) exists. The same holds for
// the measurements every instance's HRIR set is converted from.
void releaseSharedResources() {
    releaseSharedTables();
    fftwf_cleanup();
}

}  // namespace

bool enterModule() noexcept {
    std::lock_guard<std::mutex> lock(gMutex);
    ++gUseCount;
    // An instance usually follows at once and is activated right after it: start
    // reading the measurements now. A host that only scans the module pays one
    // background read (its exit waits for it), which leaves the cache file behind.
    startMeasurementRead();
    return true;
}

bool exitModule() noexcept {
    std::lock_guard<std::mutex> lock(gMutex);
    if (gUseCount <= 0) return false;
    if (--gUseCount == 0 && gLiveInstances == 0) releaseSharedResources();
    return true;
}

void instanceCreated() noexcept {
    std::lock_guard<std::mutex> lock(gMutex);
    ++gLiveInstances;
    // The calibration, and the read for hosts that make instances without entering
    // the module first.
    startSharedTables();
}

void instanceDestroyed() noexcept {
    std::lock_guard<std::mutex> lock(gMutex);
    --gLiveInstances;
}

}  // namespace halcyra::vst3
