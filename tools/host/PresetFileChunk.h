// The SDK's ".vstpreset" container as far as an offline host needs it: wrapping a
// component state for one class, and finding that state again.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "pluginterfaces/base/funknown.h"

namespace halcyra::host {

// True when the bytes start like a preset file ("VST3" header).
bool looksLikePresetFile(const std::vector<std::uint8_t>& bytes);

// A preset file holding `componentState` for the class `cid`.
std::vector<std::uint8_t> makePresetFile(const Steinberg::TUID cid, const std::vector<std::uint8_t>& componentState);

// The component state inside a preset file made for the class `cid`; empty when the
// file is damaged, belongs to another class or holds no component state.
std::optional<std::vector<std::uint8_t>> componentStateOfPresetFile(const std::vector<std::uint8_t>& file,
                                                                     const Steinberg::TUID cid);

}  // namespace halcyra::host
