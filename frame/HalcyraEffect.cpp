#include "frame/HalcyraEffect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "frame/EntryGuard.h"
#include "frame/FrameEditorContext.h"
#include "frame/HostParameters.h"
#include "frame/ModuleLifetime.h"
#include "frame/PresetHandler.h"
#include "frame/SilenceFlags.h"
#include "frame/StateStream.h"
#include "frame/Utf16Text.h"
#include "frame/view/HalcyraView.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

namespace halcyra::vst3 {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

// The two layouts the plug-in plays: mono or stereo in, always stereo out.
SpeakerArrangement nearestInputArrangement(SpeakerArrangement requested) {
    return SpeakerArr::getChannelCount(requested) <= 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
}

template <typename Sample>
Sample* const* channelsOf(AudioBusBuffers& bus);
template <>
float* const* channelsOf<float>(AudioBusBuffers& bus) { return bus.channelBuffers32; }
template <>
double* const* channelsOf<double>(AudioBusBuffers& bus) { return bus.channelBuffers64; }

}  // namespace

FUnknown* HalcyraEffect::createInstance(void*) {
    return static_cast<IAudioProcessor*>(new HalcyraEffect());
}

HalcyraEffect::HalcyraEffect()
    : parameterEditor_(plugin_.parameters(), *this),
      presets_(std::make_unique<PresetHandler>()),
      editorContext_(std::make_unique<FrameEditorContext>(plugin_, parameterEditor_)) {
    instanceCreated();
}

HalcyraEffect::~HalcyraEffect() { instanceDestroyed(); }

// --- Life cycle ---------------------------------------------------------------------

tresult PLUGIN_API HalcyraEffect::initialize(FUnknown* context) {
    return guarded([&]() -> tresult {
        const tresult r = EditControllerEx1::initialize(context);
        if (r != kResultOk) return r;
        units.clear();
        auto* root = new Unit(STR16("Root"), kRootUnitId, kNoParentUnitId);
        addUnit(root);
        return kResultOk;
    });
}

tresult PLUGIN_API HalcyraEffect::terminate() {
    return guarded([&]() -> tresult {
        active_ = false;
        RunLoopGlue::flushDeferred();  // handlers an editor could not unregister from inside a callback
        return EditControllerEx1::terminate();
    });
}

tresult PLUGIN_API HalcyraEffect::setActive(TBool state) {
    return guarded([&]() -> tresult {
        if (state) {
            plugin_.reset(sampleRate_);  // prepares (allocates) for a new rate, else clears
            active_ = true;
        } else {
            active_ = false;
        }
        return kResultOk;
    });
}

tresult PLUGIN_API HalcyraEffect::setupProcessing(ProcessSetup& setup) {
    return guarded([&]() -> tresult {
        if (active_) return kResultFalse;  // rate and block size change only while inactive
        if (!isPlayableSampleRate(setup.sampleRate)) return kInvalidArgument;
        if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) return kInvalidArgument;
        sampleRate_ = setup.sampleRate;
        maxBlockSize_ = std::max<int32>(0, setup.maxSamplesPerBlock);
        return kResultOk;
    });
}

tresult PLUGIN_API HalcyraEffect::setProcessing(TBool) { return kResultOk; }

tresult PLUGIN_API HalcyraEffect::canProcessSampleSize(int32 symbolicSampleSize) {
    return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API HalcyraEffect::getLatencySamples() { return 0; }

// The base classes answer "no tail", which makes hosts cut a ten-second reverb as soon
// as the input stops; report the decay the audio side expects instead.
uint32 PLUGIN_API HalcyraEffect::getTailSamples() {
    return guardedValue<uint32>(
        [&] {
            const double samples = std::ceil(plugin_.tailSeconds() * sampleRate_);
            if (!std::isfinite(samples) || samples <= 0.0) return uint32(kNoTail);
            const double cap = double(kInfiniteTail) - 1.0;
            return static_cast<uint32>(std::min(samples, cap));
        },
        uint32(kNoTail));
}

uint32 PLUGIN_API HalcyraEffect::getProcessContextRequirements() {
    return IProcessContextRequirements::kNeedTempo;
}

// --- Buses --------------------------------------------------------------------------

tresult PLUGIN_API HalcyraEffect::getControllerClassId(TUID) {
    return kResultFalse;  // the controller is this same object
}

tresult PLUGIN_API HalcyraEffect::setIoMode(IoMode) { return kNotImplemented; }

int32 PLUGIN_API HalcyraEffect::getBusCount(MediaType type, BusDirection) { return type == kAudio ? 1 : 0; }

tresult PLUGIN_API HalcyraEffect::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) {
    return guarded([&]() -> tresult {
        if (type != kAudio || index != 0 || (dir != BusDirections::kInput && dir != BusDirections::kOutput)) return kInvalidArgument;
        bus.mediaType = kAudio;
        bus.direction = dir;
        bus.channelCount = SpeakerArr::getChannelCount(dir == BusDirections::kInput ? inputArrangement_ : outputArrangement_);
        copyToUtf16(dir == BusDirections::kInput ? "Input" : "Output", bus.name, 128);
        bus.busType = kMain;
        bus.flags = BusInfo::kDefaultActive;
        return kResultTrue;
    });
}

tresult PLUGIN_API HalcyraEffect::getRoutingInfo(RoutingInfo&, RoutingInfo&) { return kNotImplemented; }

tresult PLUGIN_API HalcyraEffect::activateBus(MediaType type, BusDirection dir, int32 index, TBool state) {
    if (type != kAudio || index != 0) return kInvalidArgument;
    if (dir == BusDirections::kInput) inputBusActive_ = state != 0;
    else if (dir == BusDirections::kOutput) outputBusActive_ = state != 0;
    else return kInvalidArgument;
    return kResultTrue;
}

tresult PLUGIN_API HalcyraEffect::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                     SpeakerArrangement* outputs, int32 numOuts) {
    return guarded([&]() -> tresult {
        if (active_) return kResultFalse;
        const bool shapeOk = numIns == 1 && numOuts == 1 && inputs && outputs;
        const SpeakerArrangement wantedIn = shapeOk ? inputs[0] : SpeakerArr::kStereo;
        const SpeakerArrangement wantedOut = shapeOk ? outputs[0] : SpeakerArr::kStereo;
        const bool supported = shapeOk && (wantedIn == SpeakerArr::kMono || wantedIn == SpeakerArr::kStereo) &&
                               wantedOut == SpeakerArr::kStereo;
        if (supported) {
            inputArrangement_ = wantedIn;
            outputArrangement_ = wantedOut;
            return kResultTrue;
        }
        // Unsupported: settle on the nearest layout we play and say no.
        inputArrangement_ = nearestInputArrangement(wantedIn);
        outputArrangement_ = SpeakerArr::kStereo;
        return kResultFalse;
    });
}

tresult PLUGIN_API HalcyraEffect::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) {
    if (index != 0) return kInvalidArgument;
    if (dir == BusDirections::kInput) arr = inputArrangement_;
    else if (dir == BusDirections::kOutput) arr = outputArrangement_;
    else return kInvalidArgument;
    return kResultTrue;
}

// --- Processing ---------------------------------------------------------------------

void HalcyraEffect::applyParameterChanges(IParameterChanges* changes) {
    if (!changes) return;
    const int32 count = changes->getParameterCount();
    for (int32 q = 0; q < count; ++q) {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (!queue) continue;
        const int32 points = queue->getPointCount();
        if (points <= 0) continue;
        int32 offset = 0;
        ParamValue value = 0.0;
        // Parameters are read once per block, so the last point is the one that counts.
        if (queue->getPoint(points - 1, offset, value) != kResultOk || !std::isfinite(value)) continue;
        const ParamID id = queue->getParameterId();
        if (id == kBypassId) bypass_.store(value >= 0.5, std::memory_order_relaxed);
        else if (id < static_cast<ParamID>(kNumParams)) plugin_.parameters().setNormalized(static_cast<int>(id), value);
    }
}

template <typename Sample>
void HalcyraEffect::renderBlock(Sample* const* in, int numIn, Sample* const* out, int numOut, int frames, double tempo) {
    const bool bypass = bypass_.load(std::memory_order_relaxed);
    const int playedOut = std::min(numOut, AudioScratch::kChannels);
    for (int done = 0; done < frames;) {
        const int n = std::min(AudioScratch::kFrames, frames - done);
        // Inputs go through the scratch first: it converts 32-bit audio and keeps the
        // block safe when the host hands the same memory for input and output.
        for (int c = 0; c < numIn; ++c) std::copy_n(in[c] + done, n, scratch_.in(c));
        BlockIO io;
        io.inputs = scratch_.inputs();
        io.outputs = scratch_.outputs();
        io.numInputs = numIn;
        io.numOutputs = playedOut;
        io.numFrames = n;
        io.sampleRate = sampleRate_;
        io.tempo = tempo;
        io.bypass = bypass;
        plugin_.processBlock(io);
        for (int c = 0; c < playedOut; ++c) {
            const double* src = scratch_.out(c);
            Sample* dst = out[c] + done;
            for (int i = 0; i < n; ++i) dst[i] = static_cast<Sample>(src[i]);
        }
        for (int c = playedOut; c < numOut; ++c) std::fill_n(out[c] + done, n, Sample(0));
        done += n;
    }
}

tresult PLUGIN_API HalcyraEffect::process(ProcessData& data) {
    return guarded([&]() -> tresult {
        applyParameterChanges(data.inputParameterChanges);
        // A call without audio only flushes parameters; the buffers may not exist.
        if (data.numSamples <= 0 || data.numOutputs < 1 || !data.outputs) return kResultOk;
        AudioBusBuffers& outBus = data.outputs[0];
        const int numOut = outBus.numChannels;
        if (numOut <= 0) return kResultOk;

        AudioBusBuffers* inBus = data.numInputs > 0 && data.inputs && inputBusActive_ ? &data.inputs[0] : nullptr;
        const double tempo = data.processContext && (data.processContext->state & ProcessContext::kTempoValid)
                                 ? data.processContext->tempo
                                 : 0.0;
        const int frames = data.numSamples;
        const auto run = [&](auto* tag) {
            using Sample = std::remove_pointer_t<decltype(tag)>;
            Sample* const* out = channelsOf<Sample>(outBus);
            if (!out) return;
            for (int c = 0; c < numOut; ++c)
                if (!out[c]) return;
            Sample* const* in = inBus ? channelsOf<Sample>(*inBus) : nullptr;
            int numIn = in ? std::min<int>(inBus->numChannels, AudioScratch::kChannels) : 0;
            for (int c = 0; c < numIn; ++c)
                if (!in[c]) numIn = c;  // a missing channel pointer ends the usable inputs
            renderBlock<Sample>(in, numIn, out, numOut, frames, tempo);
            outBus.silenceFlags = silenceFlagsOf<Sample>(out, numOut, frames);
        };
        if (data.symbolicSampleSize == kSample64) run(static_cast<double*>(nullptr));
        else run(static_cast<float*>(nullptr));
        return kResultOk;
    });
}

// --- State --------------------------------------------------------------------------

tresult PLUGIN_API HalcyraEffect::getState(IBStream* state) {
    return guarded([&]() -> tresult {
        if (!state) return kInvalidArgument;
        const auto bytes = encodeState(plugin_.parameters(), bypass_.load(std::memory_order_relaxed));
        int32 written = 0;
        const tresult r = state->write(const_cast<std::uint8_t*>(bytes.data()), kStateBytes, &written);
        return r == kResultOk && written == kStateBytes ? kResultOk : kResultFalse;
    });
}

tresult HalcyraEffect::restoreState(IBStream* state) {
    if (!state) return kInvalidArgument;
    const std::vector<std::uint8_t> chunk = readStateChunk(*state);
    const RestoreResult result = applyStateChunk(chunk, plugin_.parameters());
    if (result.bypass) bypass_.store(*result.bypass, std::memory_order_relaxed);
    // The controller reads the same store, so it already shows the restored values;
    // an open view still needs telling, even after a short stream. The host is not
    // called back: it asked for this restore and reads the values afterwards, and some
    // hold their processing lock around setState (Ardour 7.3 loading a preset file
    // waits forever on restartComponent from here).
    if (result.valuesRead > 0 || result.bypass) parameterEditor_.refreshView();
    // A stream without a readable bypass flag (too short, or cut so that value bytes
    // sit where the flag belongs) keeps what it did hold but is not a complete state,
    // and the host hears so.
    return result.bypass ? kResultOk : kResultFalse;
}

tresult PLUGIN_API HalcyraEffect::setState(IBStream* state) {
    return guarded([&]() -> tresult { return restoreState(state); });
}

tresult PLUGIN_API HalcyraEffect::setComponentState(IBStream* state) {
    // Same object, same store: restoring twice is the same as once.
    return guarded([&]() -> tresult { return restoreState(state); });
}

// --- Parameters ---------------------------------------------------------------------

int32 PLUGIN_API HalcyraEffect::getParameterCount() { return kHostParameterCount; }

tresult PLUGIN_API HalcyraEffect::getParameterInfo(int32 paramIndex, ParameterInfo& info) {
    return guarded([&]() -> tresult {
        if (paramIndex < 0 || paramIndex >= kHostParameterCount) return kInvalidArgument;
        info = makeParameterInfo(paramIndex);
        return kResultOk;
    });
}

tresult HalcyraEffect::getParameterInfoByTag(ParamID id, ParameterInfo& info) {
    if (!isKnownParameter(id)) return kInvalidArgument;
    info = makeParameterInfo(static_cast<int>(id));
    return kResultOk;
}

tresult PLUGIN_API HalcyraEffect::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) {
    return guarded([&]() -> tresult {
        if (!isKnownParameter(id) || !string) return kInvalidArgument;
        copyToUtf16(normalizedToText(id, valueNormalized), string, 128);
        return kResultOk;
    });
}

tresult PLUGIN_API HalcyraEffect::getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) {
    return guarded([&]() -> tresult {
        if (!isKnownParameter(id) || !string) return kInvalidArgument;
        const std::optional<double> v = textToNormalized(id, utf16ToUtf8(string, 128));
        if (!v) return kResultFalse;
        valueNormalized = *v;
        return kResultOk;
    });
}

ParamValue PLUGIN_API HalcyraEffect::normalizedParamToPlain(ParamID id, ParamValue valueNormalized) {
    return normalizedToPlain(id, valueNormalized);
}

ParamValue PLUGIN_API HalcyraEffect::plainParamToNormalized(ParamID id, ParamValue plainValue) {
    return plainToNormalized(id, plainValue);
}

ParamValue PLUGIN_API HalcyraEffect::getParamNormalized(ParamID id) {
    if (id == kBypassId) return bypass_.load(std::memory_order_relaxed) ? 1.0 : 0.0;
    if (!isKnownParameter(id)) return 0.0;
    return plugin_.parameters().getNormalized(static_cast<int>(id));
}

tresult PLUGIN_API HalcyraEffect::setParamNormalized(ParamID id, ParamValue value) {
    if (!isKnownParameter(id)) return kInvalidArgument;
    if (!std::isfinite(value)) return kResultFalse;  // never let NaN or infinity reach a parameter
    if (id == kBypassId) {
        bypass_.store(value >= 0.5, std::memory_order_relaxed);
    } else {
        const int index = static_cast<int>(id);
        plugin_.parameters().setNormalized(index, value);
        editorContext_->parameterChanged(index, plugin_.parameters().getNormalized(index));  // open views follow
    }
    return kResultOk;
}

tresult PLUGIN_API HalcyraEffect::beginEditFromHost(ParamID id) {
    return isKnownParameter(id) ? kResultOk : kInvalidArgument;
}

tresult PLUGIN_API HalcyraEffect::endEditFromHost(ParamID id) {
    return isKnownParameter(id) ? kResultOk : kInvalidArgument;
}

tresult PLUGIN_API HalcyraEffect::setComponentHandler(IComponentHandler* handler) {
    return guarded([&]() -> tresult { return EditControllerEx1::setComponentHandler(handler); });
}

IPlugView* PLUGIN_API HalcyraEffect::createView(FIDString name) {
    if (name == nullptr || std::strcmp(name, ViewType::kEditor) != 0) return nullptr;
    return guardedValue<IPlugView*>(
        [&]() -> IPlugView* { return new HalcyraView(*this, unknownCast(), *editorContext_, hostContext); }, nullptr);
}

tresult PLUGIN_API HalcyraEffect::getUnitInfo(int32 unitIndex, UnitInfo& info) {
    if (unitIndex < 0 || unitIndex >= static_cast<int32>(units.size())) return kInvalidArgument;
    return guarded([&]() -> tresult { return EditControllerEx1::getUnitInfo(unitIndex, info); });
}

// --- Messages -----------------------------------------------------------------------

tresult PLUGIN_API HalcyraEffect::notify(IMessage* message) {
    return guarded([&]() -> tresult {
        if (!message) return kInvalidArgument;
        const char* id = message->getMessageID();
        if (id && std::strcmp(id, kPresetMessageId) == 0)
            return presets_->handle(*message, parameterEditor_, plugin_.commandQueue());
        return EditControllerEx1::notify(message);
    });
}

}  // namespace halcyra::vst3
