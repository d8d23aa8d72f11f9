// Invisible control that, once per frame, copies the plug-in's newest SkyFeed into
// the sky view's state, pushes the output levels into the meter, and makes the sky
// (palette, speakers compression, manual events) and the accent colour of the
// weather-dependent controls follow the parameters.
#pragma once

#include "editor/SkyPoints.h"
#include "editor/SkyViewState.h"
#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class EditorContext;
class SkyViewControl;
struct SkyFeed;

class SkyViewFeeder : public IControl {
public:
    static constexpr int kMeterTag = 20;
    // Knob tags whose value arc takes the palette's accent.
    static constexpr int kAccentKnobTags[] = {1, 2, 4, 3, 24, 21, 22, 23, 6, 38, 39, 40, 41, 42};
    static constexpr int kMixLockTag = 7;
    static constexpr int kMonitorToggleTag = 8;
    static constexpr int kRespModeToggleTag = 25;
    static constexpr int kEventsSelectorTag = 35;

    SkyViewFeeder(EditorContext& ctx, SkyViewControl& sky);

    void Draw(Canvas&) override {}
    void OnFrame(double dt) override;

    // One frame's work (what OnFrame runs).
    void Step();

    bool IsFed() const { return mFed; }
    const SkyViewState& FedState() const { return mState; }

    // Sky palette shown while factory preset `preset` is current (preset 3's outside 0..7).
    static int PaletteForPreset(int preset);

private:
    // Copies the snapshot into the fed state; true when it shows any activity.
    bool CopyFeed(const SkyFeed& feed);
    void ReadScalars();
    void FollowPreset();
    void FollowMonitorAndEvents();
    void ApplyAccent(const IColor& accent);
    void UpdateMeter();

    EditorContext& mCtx;
    SkyViewControl& mSky;
    SkyViewState mState;
    SkyPointTable mPoints;
    float mPeakL = 0.0f, mPeakR = 0.0f, mRmsL = 0.0f, mRmsR = 0.0f;
    bool mFed = false;
    int mLastPreset = -1;
    int mLastMonitor = -1;
    int mLastEvents = -1;
};

}  // namespace halcyra
