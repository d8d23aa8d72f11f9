// The module's exported entry points. Hosts on Linux call ModuleEntry / ModuleExit,
// others InitDll / ExitDll; either pair shares one use count.
#include <atomic>
#include <mutex>

#include "frame/HalcyraFactory.h"

#define HALCYRA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::mutex gModuleMutex;
int gUseCount = 0;  // guarded by gModuleMutex

bool enterModule() noexcept {
    std::lock_guard<std::mutex> lock(gModuleMutex);
    ++gUseCount;  // nothing to set up yet beyond the count: the factory is made on demand
    return true;
}

bool exitModule() noexcept {
    std::lock_guard<std::mutex> lock(gModuleMutex);
    if (gUseCount <= 0) return false;  // unbalanced exit
    --gUseCount;
    return true;
}
}  // namespace

HALCYRA_EXPORT bool ModuleEntry(void*) { return enterModule(); }
HALCYRA_EXPORT bool ModuleExit() { return exitModule(); }
HALCYRA_EXPORT bool InitDll() { return enterModule(); }
HALCYRA_EXPORT bool ExitDll() { return exitModule(); }

HALCYRA_EXPORT Steinberg::IPluginFactory* GetPluginFactory() {
    try {
        return halcyra::vst3::acquirePluginFactory();
    } catch (...) {
        return nullptr;
    }
}
