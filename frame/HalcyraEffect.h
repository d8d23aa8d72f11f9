// The VST3 face of the plug-in: one object that is component, audio processor and
// edit controller at once. It owns the audio side (HalcyraPlugin), whose parameter
// store is the only copy of the values, so the controller view can never drift
// from what the processor plays.
#pragma once

#include <atomic>
#include <memory>

#include "frame/AudioScratch.h"
#include "frame/FrameParameterEditor.h"
#include "plugin/HalcyraPlugin.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace halcyra::vst3 {

class PresetHandler;
class FrameEditorContext;

class HalcyraEffect : public Steinberg::Vst::EditControllerEx1,
                      public Steinberg::Vst::IComponent,
                      public Steinberg::Vst::IAudioProcessor,
                      public Steinberg::Vst::IProcessContextRequirements,
                      public Steinberg::Vst::IEditControllerHostEditing {
public:
    using tresult = Steinberg::tresult;
    using TBool = Steinberg::TBool;
    using int32 = Steinberg::int32;
    using uint32 = Steinberg::uint32;
    using ParamID = Steinberg::Vst::ParamID;
    using ParamValue = Steinberg::Vst::ParamValue;

    static Steinberg::FUnknown* createInstance(void* context);

    HalcyraEffect();
    ~HalcyraEffect() override;

    // IPluginBase (shared by the component and controller bases)
    tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    tresult PLUGIN_API terminate() override;

    // IComponent
    tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) override;
    tresult PLUGIN_API setIoMode(Steinberg::Vst::IoMode mode) override;
    int32 PLUGIN_API getBusCount(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir) override;
    tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir, int32 index,
                                  Steinberg::Vst::BusInfo& bus) override;
    tresult PLUGIN_API getRoutingInfo(Steinberg::Vst::RoutingInfo& inInfo, Steinberg::Vst::RoutingInfo& outInfo) override;
    tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection dir, int32 index,
                                   TBool state) override;
    tresult PLUGIN_API setActive(TBool state) override;
    // One state for component and controller: the controller keeps nothing of its own.
    tresult PLUGIN_API setState(Steinberg::IBStream* state) override;
    tresult PLUGIN_API getState(Steinberg::IBStream* state) override;

    // IAudioProcessor
    tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, int32 numIns,
                                          Steinberg::Vst::SpeakerArrangement* outputs, int32 numOuts) override;
    tresult PLUGIN_API getBusArrangement(Steinberg::Vst::BusDirection dir, int32 index,
                                         Steinberg::Vst::SpeakerArrangement& arr) override;
    tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override;
    uint32 PLUGIN_API getLatencySamples() override;
    tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    tresult PLUGIN_API setProcessing(TBool state) override;
    tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
    uint32 PLUGIN_API getTailSamples() override;

    // IProcessContextRequirements
    uint32 PLUGIN_API getProcessContextRequirements() override;

    // IEditController
    tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override;
    int32 PLUGIN_API getParameterCount() override;
    tresult PLUGIN_API getParameterInfo(int32 paramIndex, Steinberg::Vst::ParameterInfo& info) override;
    tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                             Steinberg::Vst::String128 string) override;
    tresult PLUGIN_API getParamValueByString(ParamID id, Steinberg::Vst::TChar* string,
                                             ParamValue& valueNormalized) override;
    ParamValue PLUGIN_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
    ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue plainValue) override;
    ParamValue PLUGIN_API getParamNormalized(ParamID id) override;
    tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) override;
    tresult PLUGIN_API setComponentHandler(Steinberg::Vst::IComponentHandler* handler) override;
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

    // IEditControllerHostEditing: hosts that list only automatable parameters (Ardour)
    // offer the non-automatable ones ("Mix Lock", "Events", "Response Mode") in their
    // generic editors once this exists. An edit needs nothing beyond setParamNormalized.
    tresult PLUGIN_API beginEditFromHost(ParamID id) override;
    tresult PLUGIN_API endEditFromHost(ParamID id) override;

    // IUnitInfo: bounds-checked (the base class would throw on a bad index)
    tresult PLUGIN_API getUnitInfo(int32 unitIndex, Steinberg::Vst::UnitInfo& info) override;

    // IConnectionPoint: preset recall requests ("HalcyraPreset")
    tresult PLUGIN_API notify(Steinberg::Vst::IMessage* message) override;

    Steinberg::Vst::Parameter* getParameterObject(ParamID) override { return nullptr; }
    tresult getParameterInfoByTag(ParamID id, Steinberg::Vst::ParameterInfo& info) override;

    OBJ_METHODS(HalcyraEffect, EditControllerEx1)
    DEFINE_INTERFACES
        DEF_INTERFACE(IComponent)
        DEF_INTERFACE(IAudioProcessor)
        DEF_INTERFACE(IProcessContextRequirements)
        DEF_INTERFACE(IEditControllerHostEditing)
    END_DEFINE_INTERFACES(EditControllerEx1)
    REFCOUNT_METHODS(EditControllerEx1)

private:
    void applyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
    template <typename Sample>
    void renderBlock(Sample* const* in, int numIn, Sample* const* out, int numOut, int frames, double tempo);
    tresult restoreState(Steinberg::IBStream* state);

    HalcyraPlugin plugin_;
    FrameParameterEditor parameterEditor_;
    std::unique_ptr<PresetHandler> presets_;
    std::unique_ptr<FrameEditorContext> editorContext_;  // outlives every view (views hold a reference)
    AudioScratch scratch_;
    std::atomic<bool> bypass_{false};
    Steinberg::Vst::SpeakerArrangement inputArrangement_ = Steinberg::Vst::SpeakerArr::kStereo;
    Steinberg::Vst::SpeakerArrangement outputArrangement_ = Steinberg::Vst::SpeakerArr::kStereo;
    bool inputBusActive_ = true;
    bool outputBusActive_ = true;
    bool active_ = false;
    double sampleRate_ = 44100.0;
    int maxBlockSize_ = 1024;
};

}  // namespace halcyra::vst3
