// One running instance of a module's audio effect: component and controller made,
// initialised with a host context, connected when they are separate objects, and
// driven block by block like a host's audio engine would.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "tools/host/ComponentHandlerLog.h"
#include "tools/host/HostParameterChanges.h"
#include "tools/host/Vst3Module.h"

namespace halcyra::host {
class OfflineHostApplication;
}

namespace halcyra::host {

struct ProcessSettings {
    double sampleRate = 48000.0;
    int maxBlockSize = 512;
    bool doublePrecision = false;  // 64-bit buffers instead of 32-bit
    int inputChannels = 2;         // 1 (mono track) or 2
    bool offline = true;           // process mode: offline render or real time
};

class PluginInstance {
public:
    static constexpr int kMaxChannels = 8;

    // Throws HostError when the module's effect cannot be created or initialised.
    explicit PluginInstance(Vst3Module& module);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    Steinberg::Vst::IComponent* component() const { return component_.get(); }
    Steinberg::Vst::IAudioProcessor* processor() const { return processor_.get(); }
    Steinberg::Vst::IEditController* controller() const { return controller_.get(); }
    ComponentHandlerLog& handlerLog() { return handlerLog_; }

    // Sets the bus layout (returns the plug-in's answer) and the processing setup.
    Steinberg::tresult setBusArrangement(Steinberg::Vst::SpeakerArrangement in, Steinberg::Vst::SpeakerArrangement out);
    // Layout for settings.inputChannels -> stereo, then setupProcessing; throws HostError.
    void configure(const ProcessSettings& settings);
    // Activates buses and processing; throws HostError on refusal.
    void start();
    void stop();
    bool running() const { return running_; }
    const ProcessSettings& settings() const { return settings_; }

    // Queues a change for the next process call (also shown to the controller).
    void queueParameter(Steinberg::Vst::ParamID id, double normalized, int sampleOffset = 0);
    void setTempo(double bpm) { tempo_ = bpm; }

    // One block, channel counts from the settings (input may be null: silence).
    // Never allocates. Returns the plug-in's result.
    Steinberg::tresult process(const float* const* in, float* const* out, int frames);
    Steinberg::tresult process(const double* const* in, double* const* out, int frames);
    std::uint64_t lastOutputSilenceFlags() const { return lastSilenceFlags_; }

    // Parameters by host index and by title.
    int parameterCount() const;
    Steinberg::Vst::ParameterInfo parameterInfo(int index) const;
    std::string parameterTitle(int index) const;
    int findParameter(const std::string& title) const;  // index, or -1
    std::string valueText(Steinberg::Vst::ParamID id, double normalized) const;

    // State through an in-memory stream.
    std::vector<std::uint8_t> saveState();
    Steinberg::tresult restoreState(const std::vector<std::uint8_t>& bytes);

    // Sends a message with one string attribute to the component's connection point.
    // `answerAttribute`, when given, is read back from the message after the plug-in
    // handled it (empty when the plug-in set nothing).
    Steinberg::tresult sendStringMessage(const char* messageId, const char* attribute, const std::string& value,
                                         const char* answerAttribute = nullptr, std::string* answer = nullptr);

private:
    template <typename Sample>
    Steinberg::tresult processBlock(const Sample* const* in, Sample* const* out, int frames);

    Vst3Module& module_;
    std::unique_ptr<OfflineHostApplication> hostApp_;  // not reference counted: the host owns it
    ComponentHandlerLog handlerLog_;
    Steinberg::IPtr<Steinberg::Vst::IComponent> component_;
    Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processor_;
    Steinberg::IPtr<Steinberg::Vst::IEditController> controller_;
    Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> componentPoint_;
    Steinberg::IPtr<Steinberg::Vst::IConnectionPoint> controllerPoint_;
    bool separateController_ = false;
    bool running_ = false;
    ProcessSettings settings_;
    HostParameterChanges changes_;
    Steinberg::Vst::ProcessContext context_{};
    double tempo_ = 120.0;
    std::int64_t position_ = 0;
    std::uint64_t lastSilenceFlags_ = 0;
};

}  // namespace halcyra::host
