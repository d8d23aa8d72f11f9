// The module's class factory: one audio-effect class, created under a module-wide lock.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

namespace halcyra::vst3 {

// Returns the module's single factory with one more reference, creating it on the
// first call. Null only when even that allocation failed.
Steinberg::IPluginFactory* acquirePluginFactory();

}  // namespace halcyra::vst3
