#include "editor/SkyViewFeeder.h"

#include <algorithm>

#include "editor/EditorContext.h"
#include "editor/KnobStyle.h"
#include "editor/SkyPalette.h"
#include "editor/SkyViewControl.h"
#include "editor/controls/EventsSelectorControl.h"
#include "editor/controls/MixLockControl.h"
#include "editor/controls/MonitorToggleControl.h"
#include "editor/controls/OutputMeterControl.h"
#include "editor/controls/RespModeToggleControl.h"
#include "graphics/IGraphics.h"
#include "plugin/Parameters.h"
#include "plugin/SkyFeed.h"
#include "plugin/SkyFeedBuffer.h"
#include "presets/FactoryPresets.h"

namespace halcyra {

namespace {

// Ages arrive in samples; before the audio side knows its rate, assume the usual one.
constexpr double kFallbackSampleRate = 48000.0;
// The palette shown for a Preset value that names no factory preset.
constexpr int kFallbackPreset = 3;

template <typename T>
T* Tagged(IGraphics* ui, int tag) {
    return ui != nullptr ? dynamic_cast<T*>(ui->GetControlWithTag(tag)) : nullptr;
}

}  // namespace

SkyViewFeeder::SkyViewFeeder(EditorContext& ctx, SkyViewControl& sky) : IControl(IRECT()), mCtx(ctx), mSky(sky) {
    SetIgnoreMouse(true);
}

int SkyViewFeeder::PaletteForPreset(int preset) {
    if (preset < 0 || preset >= kNumFactoryPresets) preset = kFallbackPreset;
    return kFactoryPresets[static_cast<std::size_t>(preset)].palette;
}

void SkyViewFeeder::OnFrame(double dt) {
    Step();
    IControl::OnFrame(dt);
}

void SkyViewFeeder::Step() {
    SkyFeedReader& reader = mCtx.skyFeedReader();
    reader.poll();
    const bool active = CopyFeed(reader.current());
    ReadScalars();
    if (active && !mFed) {
        // From the first sign of life on, the plug-in's sky replaces the idle one
        // until the editor closes, even through silent stretches.
        mFed = true;
        mSky.SetExternalState(&mState);
    }
    FollowPreset();
    FollowMonitorAndEvents();
    UpdateMeter();
}

bool SkyViewFeeder::CopyFeed(const SkyFeed& feed) {
    bool active = feed.reverbLevel > 0.0f || feed.flashCount > 0;
    for (int i = 0; i < SkyPointTable::kCount; ++i) {
        mState.weights[i] = feed.weights[i];
        if (feed.weights[i] > 0.0f) active = true;
    }
    mState.reverbLevel = feed.reverbLevel;
    mState.onsetGain = feed.onsetGain;
    mPeakL = feed.peakLeft;
    mPeakR = feed.peakRight;
    mRmsL = feed.rmsLeft;
    mRmsR = feed.rmsRight;

    for (SkyFlash& f : mState.flashes) f.age = kSkyFlashExpiredAge;
    const double rate = mCtx.sampleRate();
    const double secondsPerSample = 1.0 / (rate > 0.0 ? rate : kFallbackSampleRate);
    // The count comes from another thread's memory: never trust it past the array.
    const int count = std::clamp(static_cast<int>(feed.flashCount), 0, kMaxRecentEvents);
    for (int j = 0; j < count; ++j) {
        const RecentEvent& e = feed.flashes[j];
        if (e.point < 0 || e.point >= SkyPointTable::kCount) continue;
        SkyFlash& f = mState.flashes[j];
        f.azimuth = mPoints.azimuth[e.point];
        f.elevation = mPoints.elevation[e.point];
        f.intensity = e.gain;
        f.age = static_cast<float>(static_cast<double>(e.ageSamples) * secondsPerSample);
        f.level = e.levelDb;
    }
    return active;
}

void SkyViewFeeder::ReadScalars() {
    mState.size = std::clamp(static_cast<float>(mCtx.paramValue(kSize)) * 1.9375f, 0.0f, 1.0f);
    mState.brightness = static_cast<float>(mCtx.paramValue(kBrightness));
    mState.wind = static_cast<float>(mCtx.paramValue(kWind));
    mState.rate = static_cast<float>(mCtx.paramValue(kRate));
}

void SkyViewFeeder::FollowPreset() {
    const int preset = asInt(mCtx.paramValue(kPreset));
    if (preset == mLastPreset) return;
    const int palette = PaletteForPreset(preset);
    mSky.SetPaletteIndex(palette);
    mSky.SetDirty();
    ApplyAccent(GetSkyPalette(palette).accent);
    mLastPreset = preset;
}

void SkyViewFeeder::ApplyAccent(const IColor& accent) {
    IGraphics* ui = GetUI();
    if (ui == nullptr) return;
    for (int tag : kAccentKnobTags) {
        if (IControl* knob = ui->GetControlWithTag(tag)) {
            SetKnobAccent(knob, accent);
            knob->SetDirty();
        }
    }
    if (auto* c = Tagged<MixLockControl>(ui, kMixLockTag)) c->SetAccentColor(accent);
    if (auto* c = Tagged<MonitorToggleControl>(ui, kMonitorToggleTag)) c->SetAccentColor(accent);
    if (auto* c = Tagged<RespModeToggleControl>(ui, kRespModeToggleTag)) c->SetAccentColor(accent);
    if (auto* c = Tagged<OutputMeterControl>(ui, kMeterTag)) c->SetAccentColor(accent);
    if (auto* c = Tagged<EventsSelectorControl>(ui, kEventsSelectorTag)) c->SetAccentColor(accent);
}

void SkyViewFeeder::FollowMonitorAndEvents() {
    const int monitor = asInt(mCtx.paramValue(kMonitor));
    if (monitor != mLastMonitor) {
        mSky.SetSpeakers(monitor == 1);
        mSky.SetDirty();
        mLastMonitor = monitor;
    }
    const int events = asInt(mCtx.paramValue(kEvents));
    if (events != mLastEvents) {
        mSky.SetManualEvents(events != 0);
        mLastEvents = events;
    }
}

void SkyViewFeeder::UpdateMeter() {
    // The meter marks itself for redrawing only when a level moved, so a silent
    // plug-in does not keep the whole editor repainting at full rate.
    if (auto* meter = Tagged<OutputMeterControl>(GetUI(), kMeterTag)) meter->SetMeterValues(mPeakL, mPeakR, mRmsL, mRmsR);
}

}  // namespace halcyra
