// `halcyra-render --parameters`: one line per parameter as a host sees it through the
// VST3 interfaces, so a user can learn the names and texts that --set accepts.
#pragma once

#include <ostream>
#include <string>

namespace halcyra::host {
class PluginInstance;
}

namespace halcyra::render {

// id, title, units, minimum, maximum and default as the module's own texts, step
// count and flags, for every parameter the controller lists.
void listParameters(const host::PluginInstance& instance, std::ostream& out);

}  // namespace halcyra::render
