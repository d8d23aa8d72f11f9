#include "tools/host/PluginInstance.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "pluginterfaces/vst/ivstattributes.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "tools/host/HostError.h"

namespace halcyra::host {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::string fromUtf16(const char16* s, int max) {
    std::string out;
    for (int i = 0; i < max && s[i]; ++i) out += s[i] < 0x80 ? static_cast<char>(s[i]) : '?';
    return out;
}

void toUtf16(const std::string& s, char16* out, int max) {
    // Names and preset names travel as UTF-8 bytes widened one by one only for ASCII;
    // anything else is decoded properly below.
    int n = 0;
    for (std::size_t i = 0; i < s.size() && n < max - 1;) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        char32_t cp = b;
        int len = 1;
        if (b >= 0xF0 && i + 3 < s.size()) { cp = ((b & 7u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3Fu); len = 4; }
        else if (b >= 0xE0 && i + 2 < s.size()) { cp = ((b & 15u) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu); len = 3; }
        else if (b >= 0xC0 && i + 1 < s.size()) { cp = ((b & 31u) << 6) | (s[i + 1] & 0x3Fu); len = 2; }
        i += static_cast<std::size_t>(len);
        if (cp >= 0x10000) {
            if (n + 2 > max - 1) break;
            cp -= 0x10000;
            out[n++] = static_cast<char16>(0xD800 + (cp >> 10));
            out[n++] = static_cast<char16>(0xDC00 + (cp & 0x3FF));
        } else {
            out[n++] = static_cast<char16>(cp);
        }
    }
    out[n] = 0;
}

}  // namespace

// The host context plug-ins see: names this host and makes messages and attribute lists.
class OfflineHostApplication final : public HostApplication {
public:
    tresult PLUGIN_API getName(String128 name) override {
        toUtf16("Halcyra offline host", name, 128);
        return kResultOk;
    }
};

namespace {

template <typename Interface>
IPtr<Interface> queryAs(FUnknown* object) {
    Interface* result = nullptr;
    if (!object || object->queryInterface(Interface::iid, reinterpret_cast<void**>(&result)) != kResultOk) return nullptr;
    return owned(result);
}

}  // namespace

PluginInstance::PluginInstance(Vst3Module& module) : module_(module) {
    hostApp_ = std::make_unique<OfflineHostApplication>();
    const ClassDescription effect = module.findAudioEffect();
    IComponent* component = nullptr;
    if (module.factory()->createInstance(effect.cid, IComponent::iid, reinterpret_cast<void**>(&component)) != kResultOk ||
        !component) {
        throw HostError("module could not create its audio effect");
    }
    component_ = owned(component);
    if (component_->initialize(hostApp_.get()) != kResultOk) {
        component_ = nullptr;
        throw HostError("audio effect failed to initialise");
    }
    processor_ = queryAs<IAudioProcessor>(component_);
    if (!processor_) {
        component_->terminate();
        component_ = nullptr;
        throw HostError("audio effect has no audio processor");
    }
    // A single-component effect answers the controller itself; otherwise make the
    // controller class it names and connect the two.
    controller_ = queryAs<IEditController>(component_);
    if (!controller_) {
        TUID controllerId{};
        IEditController* controller = nullptr;
        if (component_->getControllerClassId(controllerId) == kResultOk &&
            module.factory()->createInstance(controllerId, IEditController::iid, reinterpret_cast<void**>(&controller)) ==
                kResultOk &&
            controller) {
            controller_ = owned(controller);
            if (controller_->initialize(hostApp_.get()) != kResultOk) controller_ = nullptr;
            else separateController_ = true;
        }
    }
    componentPoint_ = queryAs<IConnectionPoint>(component_);
    if (separateController_) {
        controllerPoint_ = queryAs<IConnectionPoint>(controller_);
        if (componentPoint_ && controllerPoint_) {
            componentPoint_->connect(controllerPoint_);
            controllerPoint_->connect(componentPoint_);
        }
    }
    if (controller_) controller_->setComponentHandler(&handlerLog_);
}

PluginInstance::~PluginInstance() {
    stop();
    if (separateController_ && componentPoint_ && controllerPoint_) {
        componentPoint_->disconnect(controllerPoint_);
        controllerPoint_->disconnect(componentPoint_);
    }
    if (controller_) controller_->setComponentHandler(nullptr);
    if (separateController_ && controller_) controller_->terminate();
    if (component_) component_->terminate();
    controllerPoint_ = nullptr;
    componentPoint_ = nullptr;
    controller_ = nullptr;
    processor_ = nullptr;
    component_ = nullptr;
}

tresult PluginInstance::setBusArrangement(SpeakerArrangement in, SpeakerArrangement out) {
    return processor_->setBusArrangements(&in, 1, &out, 1);
}

void PluginInstance::configure(const ProcessSettings& settings) {
    if (running_) stop();
    settings_ = settings;
    settings_.inputChannels = std::clamp(settings.inputChannels, 0, kMaxChannels);
    const SpeakerArrangement in = settings_.inputChannels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
    if (setBusArrangement(in, SpeakerArr::kStereo) != kResultTrue)
        throw HostError("the effect refuses a " + std::string(settings_.inputChannels == 1 ? "mono" : "stereo") +
                        " input with stereo output");
    ProcessSetup setup{};
    setup.processMode = settings_.offline ? kOffline : kRealtime;
    setup.symbolicSampleSize = settings_.doublePrecision ? kSample64 : kSample32;
    setup.maxSamplesPerBlock = settings_.maxBlockSize;
    setup.sampleRate = settings_.sampleRate;
    if (processor_->canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue)
        throw HostError("the effect cannot process this sample size");
    if (processor_->setupProcessing(setup) != kResultOk) throw HostError("the effect refuses the processing setup");
}

void PluginInstance::start() {
    if (running_) return;
    component_->activateBus(kAudio, kInput, 0, true);
    component_->activateBus(kAudio, kOutput, 0, true);
    const tresult active = component_->setActive(true);
    if (active != kResultOk) throw HostError(active == kOutOfMemory ? "out of memory activating the effect" : "the effect failed to activate");
    processor_->setProcessing(true);
    position_ = 0;
    running_ = true;
}

void PluginInstance::stop() {
    if (!running_) return;
    processor_->setProcessing(false);
    component_->setActive(false);
    running_ = false;
}

void PluginInstance::queueParameter(ParamID id, double normalized, int sampleOffset) {
    changes_.add(id, sampleOffset, normalized);
    if (separateController_ && controller_) controller_->setParamNormalized(id, normalized);
}

template <typename Sample>
tresult PluginInstance::processBlock(const Sample* const* in, Sample* const* out, int frames) {
    Sample* inPtrs[kMaxChannels] = {};
    Sample* outPtrs[kMaxChannels] = {};
    const int numIn = settings_.inputChannels;
    for (int c = 0; c < numIn; ++c) inPtrs[c] = in ? const_cast<Sample*>(in[c]) : nullptr;
    for (int c = 0; c < 2; ++c) outPtrs[c] = out ? out[c] : nullptr;

    AudioBusBuffers inBus{};
    AudioBusBuffers outBus{};
    inBus.numChannels = in ? numIn : 0;
    outBus.numChannels = out ? 2 : 0;
    if constexpr (sizeof(Sample) == 8) {
        inBus.channelBuffers64 = in ? inPtrs : nullptr;
        outBus.channelBuffers64 = out ? outPtrs : nullptr;
    } else {
        inBus.channelBuffers32 = in ? inPtrs : nullptr;
        outBus.channelBuffers32 = out ? outPtrs : nullptr;
    }

    context_ = {};
    context_.state = ProcessContext::kTempoValid | ProcessContext::kPlaying;
    context_.sampleRate = settings_.sampleRate;
    context_.projectTimeSamples = position_;
    context_.tempo = tempo_;

    ProcessData data{};
    data.processMode = settings_.offline ? kOffline : kRealtime;
    data.symbolicSampleSize = sizeof(Sample) == 8 ? kSample64 : kSample32;
    data.numSamples = frames;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.inputParameterChanges = &changes_;
    data.processContext = &context_;
    const tresult r = processor_->process(data);
    changes_.clear();
    lastSilenceFlags_ = outBus.silenceFlags;
    position_ += frames;
    return r;
}

tresult PluginInstance::process(const float* const* in, float* const* out, int frames) {
    return processBlock<float>(in, out, frames);
}

tresult PluginInstance::process(const double* const* in, double* const* out, int frames) {
    return processBlock<double>(in, out, frames);
}

int PluginInstance::parameterCount() const { return controller_ ? controller_->getParameterCount() : 0; }

ParameterInfo PluginInstance::parameterInfo(int index) const {
    ParameterInfo info{};
    if (controller_) controller_->getParameterInfo(index, info);
    return info;
}

std::string PluginInstance::parameterTitle(int index) const {
    const ParameterInfo info = parameterInfo(index);
    return fromUtf16(info.title, 128);
}

int PluginInstance::findParameter(const std::string& title) const {
    const int count = parameterCount();
    for (int i = 0; i < count; ++i)
        if (parameterTitle(i) == title) return i;
    return -1;
}

std::string PluginInstance::valueText(ParamID id, double normalized) const {
    String128 text{};
    if (!controller_ || controller_->getParamStringByValue(id, normalized, text) != kResultOk) return {};
    return fromUtf16(text, 128);
}

std::vector<std::uint8_t> PluginInstance::saveState() {
    MemoryStream stream;
    if (component_->getState(&stream) != kResultOk) throw HostError("the effect could not save its state");
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.getData());
    return std::vector<std::uint8_t>(data, data + stream.getSize());
}

tresult PluginInstance::restoreState(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> copy(bytes);
    MemoryStream stream(copy.empty() ? nullptr : copy.data(), static_cast<TSize>(copy.size()));
    const tresult r = component_->setState(&stream);
    if (separateController_ && controller_) {
        MemoryStream again(copy.empty() ? nullptr : copy.data(), static_cast<TSize>(copy.size()));
        controller_->setComponentState(&again);
    }
    return r;
}

tresult PluginInstance::sendStringMessage(const char* messageId, const char* attribute, const std::string& value,
                                          const char* answerAttribute, std::string* answer) {
    IConnectionPoint* target = componentPoint_ ? componentPoint_.get() : nullptr;
    if (!target) return kNotImplemented;
    IPtr<IMessage> message = owned(new HostMessage());
    message->setMessageID(messageId);
    String128 text{};
    toUtf16(value, text, 128);
    message->getAttributes()->setString(attribute, text);
    const tresult result = target->notify(message);
    if (answerAttribute && answer) {
        answer->clear();
        std::vector<char16> reply(1 << 14, 0);
        if (message->getAttributes()->getString(answerAttribute, reply.data(),
                                                static_cast<uint32>(reply.size() * sizeof(char16))) == kResultOk)
            *answer = fromUtf16(reply.data(), static_cast<int>(reply.size()));
    }
    return result;
}

}  // namespace halcyra::host
