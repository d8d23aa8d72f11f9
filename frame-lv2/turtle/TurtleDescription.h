// The bundle's Turtle files, written from the parameter table and the factory preset
// table at build time, so the description hosts read can never drift from the code.
#pragma once

#include <string>

namespace halcyra::lv2 {

std::string manifestTurtle();     // manifest.ttl: plug-ins, editor and presets, pointing at the files below
std::string descriptionTurtle();  // Halcyra.ttl: both variants with every port, and the editor
std::string presetsTurtle();      // presets.ttl: the eight factory presets as pset:Preset

}  // namespace halcyra::lv2
