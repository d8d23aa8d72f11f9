#include "frame/PresetHandler.h"

#include <string>

#include "frame/Utf16Text.h"
#include "pluginterfaces/vst/ivstattributes.h"

#if HALCYRA_HAVE_PRESETS
#include "presets/FactoryPresets.h"
#include "presets/PresetStore.h"
#endif

namespace halcyra::vst3 {
namespace {

bool readStringAttribute(Steinberg::Vst::IAttributeList& attributes, const char* id, std::string& out) {
    Steinberg::Vst::String128 text{};
    if (attributes.getString(id, text, sizeof text) != Steinberg::kResultOk) return false;
    text[127] = 0;
    out = utf16ToUtf8(text, 128);
    return true;
}

}  // namespace

#if HALCYRA_HAVE_PRESETS
struct PresetHandler::Store {
    PresetStore userPresets;
};
PresetHandler::PresetHandler() : store_(std::make_unique<Store>()) {}
#else
struct PresetHandler::Store {};
PresetHandler::PresetHandler() = default;
#endif
PresetHandler::~PresetHandler() = default;

Steinberg::tresult PresetHandler::handle(Steinberg::Vst::IMessage& message, ParameterEditor& params,
                                         EditorCommandQueue& queue) {
    Steinberg::Vst::IAttributeList* attributes = message.getAttributes();
    if (!attributes) return Steinberg::kResultFalse;
    std::string name;
    const bool factory = readStringAttribute(*attributes, kFactoryPresetAttribute, name);
    const bool user = !factory && readStringAttribute(*attributes, kUserPresetAttribute, name);
    if (!factory && !user) return Steinberg::kResultFalse;
#if HALCYRA_HAVE_PRESETS
    if (factory) {
        const int index = findFactoryPreset(name);
        return index >= 0 && recallFactoryPreset(index, params, queue) ? Steinberg::kResultOk : Steinberg::kResultFalse;
    }
    return store_->userPresets.loadUserPreset(name, params) ? Steinberg::kResultOk : Steinberg::kResultFalse;
#else
    (void)params;
    (void)queue;
    return Steinberg::kNotImplemented;
#endif
}

}  // namespace halcyra::vst3
