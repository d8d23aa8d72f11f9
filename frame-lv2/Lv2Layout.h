// What LV2 hosts see of Halcyra: the URIs and the port numbering shared by the
// plug-in, its editor and the generated Turtle description. The twenty parameters
// come first, at their own index, so both variants (mono and stereo input) and the
// editor use one numbering.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "plugin/Parameters.h"

namespace halcyra::lv2 {

inline constexpr const char* kStereoUri = "https://tavimoro.com/halcyra/lv2/stereo";
inline constexpr const char* kMonoUri = "https://tavimoro.com/halcyra/lv2/mono";
inline constexpr const char* kUiUri = "https://tavimoro.com/halcyra/lv2/ui";
inline constexpr const char* kPresetUriPrefix = "https://tavimoro.com/halcyra/lv2/presets#";
// The saved record (plugin/StateRecord.h), stored as one atom:Chunk property.
inline constexpr const char* kStateKeyUri = "https://tavimoro.com/halcyra/lv2#state";
// A factory preset's index, the one property of its state: restoring it tells the
// plug-in that a host's preset menu recalled that preset.
inline constexpr const char* kFactoryPresetKeyUri = "https://tavimoro.com/halcyra/lv2#factoryPreset";

inline constexpr const char* kBinaryName = "Halcyra.so";
inline constexpr const char* kDescriptionFile = "Halcyra.ttl";
inline constexpr const char* kPresetsFile = "presets.ttl";

inline constexpr std::uint32_t kEnabledPort = kNumParams;      // lv2:enabled: 0 bypasses
inline constexpr std::uint32_t kLatencyPort = kNumParams + 1;  // reports 0 samples
inline constexpr std::uint32_t kEventsPort = kNumParams + 2;   // atom sequence "host_events": time:Position
inline constexpr std::uint32_t kOutLeftPort = kNumParams + 3;
inline constexpr std::uint32_t kOutRightPort = kNumParams + 4;
inline constexpr std::uint32_t kFirstInputPort = kNumParams + 5;

constexpr std::uint32_t portCount(int inputs) { return kFirstInputPort + static_cast<std::uint32_t>(inputs); }

// Port symbol of a parameter: its display name in lower case, blanks as underscores
// ("Star Mix" -> "star_mix").
std::string portSymbol(int paramIndex);

// Name of a factory preset as a URI fragment ("Vocal Sky" -> "vocal-sky").
std::string presetFragment(std::string_view presetName);

// The port values a factory preset sets: "Preset" and the ten other controls of the
// table. "Mix" is left out: a recall keeps the mix while "Mix Lock" is on, which is
// how every fresh instance starts. `preset` must be 0..7.
inline constexpr int kFactoryPresetPorts = 11;
std::array<std::pair<int, float>, kFactoryPresetPorts> factoryPresetPorts(int preset);

}  // namespace halcyra::lv2
