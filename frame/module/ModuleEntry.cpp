// The module's exported entry points. Hosts on Linux call ModuleEntry / ModuleExit,
// others InitDll / ExitDll; either pair shares one use count.
#include "frame/HalcyraFactory.h"
#include "frame/ModuleLifetime.h"

#define HALCYRA_EXPORT extern "C" __attribute__((visibility("default")))

HALCYRA_EXPORT bool ModuleEntry(void*) { return halcyra::vst3::enterModule(); }
HALCYRA_EXPORT bool ModuleExit() { return halcyra::vst3::exitModule(); }
HALCYRA_EXPORT bool InitDll() { return halcyra::vst3::enterModule(); }
HALCYRA_EXPORT bool ExitDll() { return halcyra::vst3::exitModule(); }

HALCYRA_EXPORT Steinberg::IPluginFactory* GetPluginFactory() {
    try {
        return halcyra::vst3::acquirePluginFactory();
    } catch (...) {
        return nullptr;
    }
}
