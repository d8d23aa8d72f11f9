// Module-wide life cycle: the use count of InitDll/ModuleEntry and the number of live
// effect instances. Entering the module and making the first instance start computing
// the tables every activation needs; when the last user leaves and no instance is
// alive, process-wide resources of the audio side are released, so a host that unloads
// and reloads the module does not lose memory each time.
#pragma once

namespace halcyra::vst3 {

bool enterModule() noexcept;
bool exitModule() noexcept;  // false for an exit without a matching entry

void instanceCreated() noexcept;
void instanceDestroyed() noexcept;

}  // namespace halcyra::vst3
