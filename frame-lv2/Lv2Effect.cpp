#include "frame-lv2/Lv2Effect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include <lv2/atom/util.h>
#include <lv2/time/time.h>

#include "frame-lv2/Lv2Layout.h"
#include "plugin/StateRecord.h"
#include "presets/FactoryPresets.h"

namespace halcyra::lv2 {
namespace {

const void* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (int i = 0; features && features[i]; ++i)
        if (std::strcmp(features[i]->URI, uri) == 0) return features[i]->data;
    return nullptr;
}

// A host sets a preset's ports right after restoring its state, but may spread them
// over a few runs.
constexpr double kPresetArrivalSeconds = 0.5;

}  // namespace

Lv2Effect::Lv2Effect(double sampleRate, int inputs, const LV2_Feature* const* features)
    : sampleRate_(sampleRate), inputs_(std::clamp(inputs, 1, 2)) {
    seenControls_.fill(std::numeric_limits<float>::quiet_NaN());
    seenEnabled_ = std::numeric_limits<float>::quiet_NaN();
    for (int c = 0; c < 2; ++c) {
        inScratch_[c].assign(kChunkFrames, 0.0);
        outScratch_[c].assign(kChunkFrames, 0.0);
        inPtr_[c] = inScratch_[c].data();
        outPtr_[c] = outScratch_[c].data();
    }
    if (const auto* map = static_cast<const LV2_URID_Map*>(findFeature(features, LV2_URID__map))) {
        const auto id = [map](const char* uri) { return map->map(map->handle, uri); };
        urids_.stateKey = id(kStateKeyUri);
        urids_.factoryPresetKey = id(kFactoryPresetKeyUri);
        urids_.atomChunk = id(LV2_ATOM__Chunk);
        urids_.atomBlank = id(LV2_ATOM__Blank);
        urids_.atomObject = id(LV2_ATOM__Object);
        urids_.atomFloat = id(LV2_ATOM__Float);
        urids_.atomDouble = id(LV2_ATOM__Double);
        urids_.atomInt = id(LV2_ATOM__Int);
        urids_.atomLong = id(LV2_ATOM__Long);
        urids_.timePosition = id(LV2_TIME__Position);
        urids_.timeBpm = id(LV2_TIME__beatsPerMinute);
        haveMap_ = true;
    }
}

void Lv2Effect::connectPort(std::uint32_t port, void* data) {
    if (port < static_cast<std::uint32_t>(kNumParams)) {
        controls_[port] = static_cast<const float*>(data);
        return;
    }
    switch (port) {
        case kEnabledPort: enabled_ = static_cast<const float*>(data); return;
        case kLatencyPort: latency_ = static_cast<float*>(data); return;
        case kEventsPort: events_ = static_cast<const LV2_Atom_Sequence*>(data); return;
        case kOutLeftPort: out_[0] = static_cast<float*>(data); return;
        case kOutRightPort: out_[1] = static_cast<float*>(data); return;
        default: break;
    }
    const std::uint32_t input = port - kFirstInputPort;
    if (port >= kFirstInputPort && input < static_cast<std::uint32_t>(inputs_))
        in_[input] = static_cast<const float*>(data);
}

void Lv2Effect::activate() { plugin_.reset(sampleRate_); }

void Lv2Effect::readControls() {
    const bool adopt = adoptControls_.exchange(false, std::memory_order_acquire);
    ParameterStore& store = plugin_.parameters();
    for (int i = 0; i < kNumParams; ++i) {
        if (!controls_[i]) continue;
        const float v = *controls_[i];
        // Compared as bits: a NaN port (refused by the store) must not count as moving every run.
        if (!adopt && std::memcmp(&v, &seenControls_[i], sizeof v) != 0) store.set(i, v);
        seenControls_[i] = v;
    }
    if (enabled_) {
        const float v = *enabled_;
        if (!adopt && std::memcmp(&v, &seenEnabled_, sizeof v) != 0 && std::isfinite(v))
            bypass_.store(v < 0.5f, std::memory_order_relaxed);
        seenEnabled_ = v;
    }
}

void Lv2Effect::readTransport() {
    if (!events_ || !haveMap_) return;
    LV2_ATOM_SEQUENCE_FOREACH(events_, ev) {
        const LV2_Atom& body = ev->body;
        if (body.type != urids_.atomObject && body.type != urids_.atomBlank) continue;
        const auto* object = reinterpret_cast<const LV2_Atom_Object*>(&ev->body);
        if (object->body.otype != urids_.timePosition) continue;
        const LV2_Atom* bpm = nullptr;
        lv2_atom_object_get(object, urids_.timeBpm, &bpm, 0);
        if (!bpm) continue;
        double value = 0.0;
        if (bpm->type == urids_.atomFloat) value = reinterpret_cast<const LV2_Atom_Float*>(bpm)->body;
        else if (bpm->type == urids_.atomDouble) value = reinterpret_cast<const LV2_Atom_Double*>(bpm)->body;
        else continue;
        if (std::isfinite(value) && value > 0.0) tempo_ = value;
    }
}

bool Lv2Effect::recalledPresetArrived(std::uint32_t frames) {
    const int recalled = recalledPreset_.exchange(kNoPreset, std::memory_order_acquire);
    if (recalled >= 0) {
        awaitedPreset_ = recalled;
        awaitedFrames_ = kPresetArrivalSeconds * sampleRate_;
    } else if (recalled == kPresetCancelled) {
        awaitedPreset_ = kNoPreset;
    }
    if (awaitedPreset_ < 0) return false;
    const auto values = factoryPresetPorts(awaitedPreset_);
    const bool arrived = std::all_of(values.begin(), values.end(), [this](const std::pair<int, float>& v) {
        return !controls_[v.first] || *controls_[v.first] == v.second;
    });
    if (arrived) {
        // Also the values a port already held before the preset, which therefore
        // did not move (a restored record may differ from them).
        for (const auto& [index, value] : values) plugin_.parameters().set(index, value);
        awaitedPreset_ = kNoPreset;
    } else if ((awaitedFrames_ -= frames) <= 0.0) {
        awaitedPreset_ = kNoPreset;  // the host moved on: the sky glides, as after a dropped jump
    }
    return arrived;
}

void Lv2Effect::renderChunk(int offset, int n, bool bypass, bool skyJump) {
    for (int c = 0; c < inputs_; ++c) {
        const float* src = in_[c] ? in_[c] + offset : nullptr;
        for (int i = 0; i < n; ++i) inScratch_[c][i] = src ? src[i] : 0.0;
    }
    BlockIO io;
    io.inputs = inPtr_.data();
    io.outputs = outPtr_.data();
    io.numInputs = inputs_;
    io.numOutputs = 2;
    io.numFrames = n;
    io.sampleRate = sampleRate_;
    io.tempo = tempo_;
    io.bypass = bypass;  // lv2:enabled off: the driver crossfades to the input
    io.skyJump = skyJump;
    plugin_.processBlock(io);
    for (int c = 0; c < 2; ++c) {
        if (!out_[c]) continue;
        for (int i = 0; i < n; ++i) out_[c][offset + i] = static_cast<float>(outScratch_[c][i]);
    }
}

void Lv2Effect::run(std::uint32_t frames) {
    readControls();
    readTransport();
    const bool skyJump = recalledPresetArrived(frames);
    if (latency_) *latency_ = 0.0f;
    const bool bypass = bypass_.load(std::memory_order_relaxed);
    const int total = static_cast<int>(std::min<std::uint32_t>(frames, 1u << 30));
    for (int done = 0; done < total;) {
        const int n = std::min(kChunkFrames, total - done);
        renderChunk(done, n, bypass, skyJump && done == 0);
        done += n;
    }
}

LV2_State_Status Lv2Effect::save(LV2_State_Store_Function store, LV2_State_Handle handle) const {
    if (!haveMap_) return LV2_STATE_ERR_NO_FEATURE;
    const auto bytes = encodeState(plugin_.parameters(), bypass_.load(std::memory_order_relaxed));
    return store(handle, urids_.stateKey, bytes.data(), bytes.size(), urids_.atomChunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2Effect::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    if (!haveMap_) return LV2_STATE_ERR_NO_FEATURE;
    std::size_t size = 0;
    std::uint32_t type = 0, flags = 0;
    const void* data = retrieve(handle, urids_.stateKey, &size, &type, &flags);
    if (!data) return restoreFactoryPreset(retrieve, handle);
    if (type != urids_.atomChunk) return LV2_STATE_ERR_BAD_TYPE;
    recalledPreset_.store(kPresetCancelled, std::memory_order_release);  // the record wins over a preset still awaited
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::vector<std::uint8_t> chunk(bytes, bytes + std::min<std::size_t>(size, kStateBytes));
    const RestoreResult result = applyStateChunk(chunk, plugin_.parameters());
    if (result.bypass) bypass_.store(*result.bypass, std::memory_order_relaxed);
    adoptControls_.store(true, std::memory_order_release);
    return LV2_STATE_SUCCESS;
}

// A factory preset holds only its index; its values come through the ports, which
// the host sets after this call.
LV2_State_Status Lv2Effect::restoreFactoryPreset(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    std::size_t size = 0;
    std::uint32_t type = 0, flags = 0;
    const void* data = retrieve(handle, urids_.factoryPresetKey, &size, &type, &flags);
    if (!data) return LV2_STATE_ERR_NO_PROPERTY;
    std::int64_t index = -1;
    if (type == urids_.atomInt && size == sizeof(std::int32_t)) {
        std::int32_t v = 0;
        std::memcpy(&v, data, sizeof v);
        index = v;
    } else if (type == urids_.atomLong && size == sizeof(std::int64_t)) {
        std::memcpy(&index, data, sizeof index);
    } else {
        return LV2_STATE_ERR_BAD_TYPE;
    }
    if (index < 0 || index >= kNumFactoryPresets) return LV2_STATE_ERR_UNKNOWN;
    recalledPreset_.store(static_cast<int>(index), std::memory_order_release);
    return LV2_STATE_SUCCESS;
}

}  // namespace halcyra::lv2
