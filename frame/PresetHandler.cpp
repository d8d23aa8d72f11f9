#include "frame/PresetHandler.h"

#include <string>
#include <vector>

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

#if HALCYRA_HAVE_PRESETS
void answerKnownNames(Steinberg::Vst::IAttributeList& attributes, const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& n : names) joined += n + "\n";
    std::u16string text;
    text.resize(joined.size() + 1);
    copyToUtf16(joined, reinterpret_cast<Steinberg::char16*>(text.data()), static_cast<int>(text.size()));
    attributes.setString(kKnownPresetsAttribute, reinterpret_cast<const Steinberg::Vst::TChar*>(text.c_str()));
}
#endif

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
        if (index >= 0 && recallFactoryPreset(index, params, queue)) return Steinberg::kResultOk;
        std::vector<std::string> names;
        for (const FactoryPreset& preset : kFactoryPresets) names.emplace_back(preset.name);
        answerKnownNames(*attributes, names);
        return Steinberg::kResultFalse;
    }
    if (store_->userPresets.loadUserPreset(name, params)) return Steinberg::kResultOk;
    answerKnownNames(*attributes, store_->userPresets.listUserPresets());
    return Steinberg::kResultFalse;
#else
    (void)params;
    (void)queue;
    return Steinberg::kNotImplemented;
#endif
}

}  // namespace halcyra::vst3
