// One LV2 instance of Halcyra: the host's ports in front of the format-free audio
// side (HalcyraPlugin). Control ports are read once per run, as the VST3 frame
// reads the last point of each parameter; a port only overrides the parameter when
// its value moved, so a restored state holds until the host changes a control.
// A factory preset chosen in the host's menu makes the sky jump to its weather, as a
// recall in the editor does, once its values have reached the ports.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "plugin/AbCompareState.h"
#include "plugin/HalcyraPlugin.h"
#include "presets/PresetStore.h"

namespace halcyra::lv2 {

class Lv2Effect {
public:
    // `inputs` is 1 or 2. The URID map is optional: without it there is no saved
    // state and no host tempo, but audio runs.
    Lv2Effect(double sampleRate, int inputs, const LV2_Feature* const* features);

    void connectPort(std::uint32_t port, void* data);
    void activate();  // prepares for the sample rate (allocates) or clears
    void run(std::uint32_t frames);

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle) const;
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    // What the editor reaches through instance access. The preset store and the A/B
    // state live here so they survive closing and reopening the editor.
    HalcyraPlugin& plugin() { return plugin_; }
    PresetStore& presetStore() { return presets_; }
    AbCompareState& abCompare() { return abCompare_; }

private:
    static constexpr int kChunkFrames = 4096;

    void readControls();
    void readTransport();
    bool recalledPresetArrived(std::uint32_t frames);
    void renderChunk(int offset, int n, bool bypass, bool skyJump);
    LV2_State_Status restoreFactoryPreset(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    HalcyraPlugin plugin_;
    PresetStore presets_;
    AbCompareState abCompare_;
    const double sampleRate_;
    const int inputs_;

    std::array<const float*, kNumParams> controls_{};
    // NaN until the first run, so every connected control counts as moved once.
    std::array<float, kNumParams> seenControls_{};
    const float* enabled_ = nullptr;
    float seenEnabled_ = 0.0f;
    float* latency_ = nullptr;
    const LV2_Atom_Sequence* events_ = nullptr;
    std::array<const float*, 2> in_{};
    std::array<float*, 2> out_{};

    std::atomic<bool> bypass_{false};
    // Set by a state restore: the next run takes the ports as already seen, so the
    // restored values are not overwritten by controls the host never moved.
    std::atomic<bool> adoptControls_{false};
    // A factory preset from the host's menu: its index, set by the restore, until the
    // audio thread takes it up and waits for the preset's port values.
    static constexpr int kNoPreset = -1;
    static constexpr int kPresetCancelled = -2;  // a record restored after it
    std::atomic<int> recalledPreset_{kNoPreset};
    int awaitedPreset_ = kNoPreset;
    double awaitedFrames_ = 0.0;  // how much longer its port values may take
    double tempo_ = 0.0;

    // 64-bit work buffers between the host's float ports and the block callback.
    std::array<std::vector<double>, 2> inScratch_;
    std::array<std::vector<double>, 2> outScratch_;
    std::array<const double*, 2> inPtr_{};
    std::array<double*, 2> outPtr_{};

    struct Urids {
        LV2_URID stateKey = 0, factoryPresetKey = 0, atomChunk = 0, atomBlank = 0, atomObject = 0, atomFloat = 0,
                 atomDouble = 0, atomInt = 0, atomLong = 0, timePosition = 0, timeBpm = 0;
    } urids_;
    bool haveMap_ = false;
};

}  // namespace halcyra::lv2
