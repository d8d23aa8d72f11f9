// The sky picture in the middle of the editor: a gradient sky, a glow at the
// horizon, clouds where the star engine has weight and flashes where stars have
// just sounded. Horizontal is azimuth (−90° left … +90° right), vertical is
// elevation (−10° bottom … +45° top). Until the feeder attaches the plug-in's data
// it animates an idle sky of its own. A horizontal drag shows a wind arrow (display
// only); a click asks for a star there when manual events are on.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "editor/SkyBackdrop.h"
#include "editor/SkyPoints.h"
#include "editor/SpriteSheet.h"
#include "editor/SkyViewState.h"
#include "graphics/IControl.h"
#include "graphics/IText.h"

namespace halcyra {

class SkyViewControl : public IControl {
public:
    // Every animation step is this long, whatever the frame timer says, so the
    // idle sky moves the same on every machine.
    static constexpr double kFrameSeconds = 1.0 / 60.0;
    static constexpr float kFrameStep = 1.0f / 60.0f;
    static constexpr int kPrewarmSteps = 90;
    static constexpr int kRedrawHoldFrames = 45;
    static constexpr float kWindFadeSeconds = 1.2f;
    static constexpr float kDragDeadZone = 4.0f;
    static constexpr float kSpeakerCompression = 0.72f;  // ±90° drawn as ±64.8°
    static constexpr int kIdleCellCount = 5;

    enum class DragAxis { Undecided, Horizontal, Vertical };

    using ClickFunction = std::function<void(float azimuth, float elevation)>;

    SkyViewControl(const IRECT& bounds, int paletteIndex);

    void Draw(Canvas& g) override;
    void OnFrame(double dt) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
    void OnMouseUp(float x, float y, const IMouseMod& mod) override;
    void OnMouseDblClick(float, float, const IMouseMod&) override {}

    void SetClickFunction(ClickFunction f) { mClick = std::move(f); }
    void SetPaletteIndex(int index) { mPaletteIndex = index; }
    int GetPaletteIndex() const { return mPaletteIndex; }
    void SetSpeakers(bool speakers) { mSpeakers = speakers; }
    bool GetSpeakers() const { return mSpeakers; }
    void SetManualEvents(bool manual) { mManualEvents = manual; }
    bool GetManualEvents() const { return mManualEvents; }
    // Draw from this state instead of the idle sky (which then stops advancing).
    // The state must outlive the control or be detached with nullptr.
    void SetExternalState(const SkyViewState* state) { mExternal = state; }
    const SkyViewState* GetExternalState() const { return mExternal; }

    // One animation step (what OnFrame runs).
    void Step();

    // The state being drawn: the external one if attached, else the idle sky's.
    const SkyViewState& DrawnState() const { return mExternal != nullptr ? *mExternal : mIdle; }
    const SkyViewState& IdleState() const { return mIdle; }
    double Time() const { return mTime; }
    std::uint32_t FrameCount() const { return mFrameCount; }
    int RedrawCountdown() const { return mRedrawCountdown; }
    int IdleSpawnCount() const { return mSpawnCounter; }
    // Centre of idle cloud cell k in normalised sky units (x = az/90, y = (el − 17.5)/27.5).
    float IdleCellX(int k) const { return mCells[k].cx; }
    float IdleCellY(int k) const { return mCells[k].cy; }

    bool IsPressed() const { return mPressed; }
    DragAxis GetDragAxis() const { return mAxis; }
    float GetWindAngle() const { return mWindAngle; }
    // 1 while the arrow is held, then fading to 0 over kWindFadeSeconds.
    float WindArrowVisibility() const;

    // Where an azimuth / elevation is drawn (azimuths compressed in speakers mode).
    float XForAzimuth(float azimuth) const;
    float YForElevation(float elevation) const;
    // Where a click lands: always the full width as ±90°, whatever the drawing does.
    float AzimuthForX(float x) const;
    float ElevationForY(float y) const;

private:
    struct IdleCell {
        float x0, y0, phase, radius0, strength0, speed;
        bool flicker;
        float cx = 0.0f, cy = 0.0f, radius = 0.0f, strength = 0.0f;
    };

    // What one picture of the sky depends on besides the palette and the flags.
    struct Shown {
        SkyViewState state;
        int glowAlpha = -1;  // the pulse reaches the picture only through this
        float windVisibility = 0.0f;
        float windAngle = 0.0f;
        int paletteIndex = -1;
        bool speakers = false;
        bool manualEvents = false;
    };

    // What the backdrop (sky, glow, clouds) shows; it is painted again only when this changes.
    struct BackdropKey {
        std::array<float, SkyPointTable::kCount> weights{};
        float brightness = 0.0f, size = 0.0f, onsetGain = 0.0f;
        int glowAlpha = -1;
        int paletteIndex = -1;
        bool speakers = false;
        IRECT rect;
        float scale = 0.0f;
        bool operator==(const BackdropKey&) const = default;
    };

    // One star glyph as drawn: where, how strong, how big, how old.
    struct FlashGlyph {
        float x = 0.0f, y = 0.0f, alpha = 0.0f, size = 0.0f, ageRatio = 0.0f;
        bool operator==(const FlashGlyph&) const = default;
    };
    // What the flash sprites show; they are painted again only when this changes.
    struct FlashKey {
        std::array<FlashGlyph, kSkyFlashCount> glyphs{};
        int count = -1;
        IColor colour;
        float height = 0.0f, scale = 0.0f;
        bool operator==(const FlashKey&) const = default;
    };

    void AdvanceIdleSky();
    void SpawnIdleFlash();
    float NextRandom();
    float GlowAlpha(const SkyViewState& s) const;
    // True when the picture would differ from the one last asked for; remembers this one.
    bool PictureChanged();

    void PaintBackdrop(const SkyViewState& s, float scale);
    void PaintSky(const SkyViewState& s);
    void PaintGlow(const SkyViewState& s);
    void PaintClouds(const SkyViewState& s);
    void DrawFlashes(Canvas& g, const SkyViewState& s);
    void PaintStarGlyph(const FlashGlyph& glyph, const IColor& colour);
    void DrawWindArrow(Canvas& g);

    int mPaletteIndex;
    bool mSpeakers = false;
    bool mManualEvents = false;
    SkyViewState mIdle;
    const SkyViewState* mExternal = nullptr;
    SkyPointTable mPoints;

    double mTime = 0.0;
    std::uint32_t mFrameCount = 0;
    int mRedrawCountdown = 0;
    Shown mShown;
    float mLastRate = -1.0f, mLastSize = -1.0f, mLastBrightness = -1.0f, mLastWind = -1.0f;

    IdleCell mCells[kIdleCellCount];
    float mSpawnAccumulator = 0.0f;
    int mSpawnCounter = 0;
    int mFlashRing = 0;
    std::uint32_t mSeed = 1337;

    bool mPressed = false;
    DragAxis mAxis = DragAxis::Undecided;
    float mPressX = 0.0f, mPressY = 0.0f;
    float mWindAngle = 0.0f;
    float mWindFade = kWindFadeSeconds;

    SkyBackdrop mBackdrop;
    BackdropKey mBackdropKey;
    SpriteSheet mFlashSprites;
    FlashKey mFlashKey;

    ClickFunction mClick;
    IText mWindLabel;
};

}  // namespace halcyra
