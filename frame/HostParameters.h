// How the twenty parameters and the bypass switch look to a VST3 host: IDs, info
// records (units, steps, list flag, automation), normalisation and text.
#pragma once

#include <optional>
#include <string>

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstunits.h"

namespace halcyra::vst3 {

// Parameter IDs 0..19 are the table's indices; the bypass switch follows them.
inline constexpr Steinberg::Vst::ParamID kBypassId = 20;
inline constexpr int kHostParameterCount = 21;

bool isKnownParameter(Steinberg::Vst::ParamID id);

// Host-visible description of the parameter at host index 0..20.
Steinberg::Vst::ParameterInfo makeParameterInfo(int hostIndex);

// Display text of a normalised value without the unit, which ParameterInfo::units
// carries ("1.60", "Comet", "On").
std::string normalizedToText(Steinberg::Vst::ParamID id, double normalized);

// Text typed in a host field -> normalised value, clamped into range; empty when the
// text means nothing for this parameter.
std::optional<double> textToNormalized(Steinberg::Vst::ParamID id, const std::string& text);

double normalizedToPlain(Steinberg::Vst::ParamID id, double normalized);
double plainToNormalized(Steinberg::Vst::ParamID id, double plain);

}  // namespace halcyra::vst3
