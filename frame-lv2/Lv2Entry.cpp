// The module's C entry points: one descriptor per variant (stereo and mono input),
// the state interface, and the editor's descriptor (ui/Lv2Editor.cpp).
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <fftw3.h>

#include <cstring>

#include "frame-lv2/Lv2Effect.h"
#include "frame-lv2/Lv2Layout.h"
#include "plugin/SharedTables.h"

namespace halcyra::lv2 {
namespace {

Lv2Effect* self(LV2_Handle h) { return static_cast<Lv2Effect*>(h); }

template <int Inputs>
LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features) {
    if (!(rate > 0.0)) return nullptr;
    startSharedTables();  // read what every activation needs while the host sets up
    try {
        return new Lv2Effect(rate, Inputs, features);
    } catch (...) {
        return nullptr;  // out of memory: the host reports a failed load
    }
}

void connectPort(LV2_Handle h, uint32_t port, void* data) { self(h)->connectPort(port, data); }

void activate(LV2_Handle h) {
    try {
        self(h)->activate();
    } catch (...) {
        // Out of memory while preparing: the plug-in stays unprepared and plays silence.
    }
}

void run(LV2_Handle h, uint32_t frames) { self(h)->run(frames); }

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle h) { delete self(h); }

LV2_State_Status save(LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const*) {
    return self(h)->save(store, handle);
}

LV2_State_Status restore(LV2_Handle h, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, uint32_t,
                         const LV2_Feature* const*) {
    try {
        return self(h)->restore(retrieve, handle);
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

const void* extensionData(const char* uri) {
    static const LV2_State_Interface state{save, restore};
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const LV2_Descriptor kDescriptors[] = {
    {kStereoUri, instantiate<2>, connectPort, activate, run, deactivate, cleanup, extensionData},
    {kMonoUri, instantiate<1>, connectPort, activate, run, deactivate, cleanup, extensionData},
};

// FFTW lives inside this module and keeps its planner memory in process-wide state
// that outlives every plan; hosts free every instance before unloading a module, so
// the unload is where it can go (LV2 has no module exit call of its own). The same
// holds for the measurements the HRIR sets are converted from.
__attribute__((destructor)) void releaseSharedResources() {
    releaseSharedTables();
    fftwf_cleanup();
}

}  // namespace
}  // namespace halcyra::lv2

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index < 2 ? &halcyra::lv2::kDescriptors[index] : nullptr;
}
