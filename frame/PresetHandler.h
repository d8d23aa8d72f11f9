// Preset recall requested through the connection point: a message "HalcyraPreset"
// with a string attribute "factory" (factory preset name) or "user" (user preset
// name). Answers kResultOk when recalled, kResultFalse for an unknown name or a
// malformed message, kNotImplemented when this build carries no presets. For an
// unknown name the message gets a string attribute "known": the names that exist,
// one per line, so a host tool can tell its user what to choose from.
#pragma once

#include <memory>

#include "pluginterfaces/vst/ivstmessage.h"

namespace halcyra {
class ParameterEditor;
class EditorCommandQueue;
}  // namespace halcyra

namespace halcyra::vst3 {

inline constexpr const char* kPresetMessageId = "HalcyraPreset";
inline constexpr const char* kFactoryPresetAttribute = "factory";
inline constexpr const char* kUserPresetAttribute = "user";
inline constexpr const char* kKnownPresetsAttribute = "known";

class PresetHandler {
public:
    PresetHandler();
    ~PresetHandler();

    Steinberg::tresult handle(Steinberg::Vst::IMessage& message, ParameterEditor& params, EditorCommandQueue& queue);

private:
    struct Store;
    std::unique_ptr<Store> store_;
};

}  // namespace halcyra::vst3
