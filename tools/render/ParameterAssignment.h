// "--set NAME=VALUE": a parameter found by its display name, the value given in the
// parameter's own units or as an item text, checked against the parameter's range.
#pragma once

#include <string>

#include "tools/host/PluginInstance.h"

namespace halcyra::render {

struct ResolvedAssignment {
    Steinberg::Vst::ParamID id = 0;
    double normalized = 0.0;
};

// Throws host::HostError naming the problem: unknown parameter, unknown item text, or
// a value outside the range (the message gives the range).
ResolvedAssignment resolveAssignment(host::PluginInstance& instance, const std::string& name, const std::string& value);

// Resolves and applies through the controller and the next block's parameter changes.
void applyAssignment(host::PluginInstance& instance, const std::string& name, const std::string& value);

}  // namespace halcyra::render
