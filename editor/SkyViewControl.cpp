#include "editor/SkyViewControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/SkyPalette.h"
#include "graphics/Canvas.h"

namespace halcyra {

namespace {

constexpr float kMinAzimuth = -90.0f, kMaxAzimuth = 90.0f;
constexpr float kMinElevation = -10.0f, kMaxElevation = 45.0f;
constexpr float kElevationSpan = kMaxElevation - kMinElevation;
constexpr float kIdleSpawnInterval = 0.1f;
constexpr float kWindStepDegrees = 5.0f;

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// Smoothstep on 0..1.
float Smooth(float s) { return s * s * (3.0f - 2.0f * s); }

// An alpha factor becomes the colour's alpha; NaN counts as invisible.
IColor WithAlphaFactor(const IColor& c, float a) {
    const float f = std::isnan(a) ? 0.0f : Clamp01(a);
    return c.WithAlpha(static_cast<int>(std::lround(f * 255.0f)));
}

// from + trunc((to − from) × f) per channel: the palette blends step in whole units.
IColor Toward(const IColor& from, const IColor& to, float f) {
    const auto mix = [f](int a, int b) { return a + static_cast<int>(static_cast<float>(b - a) * f); };
    return {255, mix(from.R, to.R), mix(from.G, to.G), mix(from.B, to.B)};
}

IColor ScaledRgb(const IColor& c, float g) {
    const auto scale = [g](int v) { return std::clamp(static_cast<int>(std::lround(static_cast<float>(v) * g)), 0, 255); };
    return {c.A, scale(c.R), scale(c.G), scale(c.B)};
}

}  // namespace

SkyViewControl::SkyViewControl(const IRECT& bounds, int paletteIndex)
    : IControl(bounds),
      mPaletteIndex(paletteIndex),
      mCells{{-0.45f, 0.35f, 0.0f, 0.34f, 0.95f, 0.11f, true},
             {0.30f, 0.10f, 1.7f, 0.40f, 0.85f, 0.08f, false},
             {0.55f, 0.45f, 3.1f, 0.30f, 0.90f, 0.13f, false},
             {-0.15f, -0.20f, 4.6f, 0.28f, 0.80f, 0.17f, true},
             {0.05f, 0.55f, 5.9f, 0.32f, 0.88f, 0.06f, false}},
      mWindLabel(12.0f, COLOR_WHITE, "Roboto-Regular", EAlign::Center, EVAlign::Bottom) {
    mIdle.size = 0.62f;
    mIdle.brightness = 0.6f;
    mIdle.wind = 0.45f;
    mIdle.rate = 0.28f;
    mIdle.onsetGain = 1.0f;
    // Open on a sky that already has clouds and flashes instead of an empty one.
    for (int i = 0; i < kPrewarmSteps; ++i) Step();
}

void SkyViewControl::OnFrame(double dt) {
    Step();
    IControl::OnFrame(dt);
}

void SkyViewControl::Step() {
    ++mFrameCount;
    mTime += kFrameSeconds;  // in double: hours of editor time must not drift the pulse
    mWindFade += kFrameStep;

    bool busy = true;
    if (mExternal != nullptr) {
        const SkyViewState& s = *mExternal;
        busy = s.AnyFlashAlive();
        const auto moved = [](float now, float before) { return !(std::fabs(now - before) <= 0.0001f); };
        if (moved(s.rate, mLastRate) || moved(s.size, mLastSize) || moved(s.brightness, mLastBrightness) ||
            moved(s.wind, mLastWind))
            mRedrawCountdown = kRedrawHoldFrames;
        mLastRate = s.rate;
        mLastSize = s.size;
        mLastBrightness = s.brightness;
        mLastWind = s.wind;
    }
    if (mPressed || mWindFade < kWindFadeSeconds) busy = true;

    // Throttled as before (full rate only while something moves, else every third
    // frame), and only when the picture would change at all: a sky that shows the
    // same state, with no glow to pulse, costs nothing.
    const bool due = mRedrawCountdown > 0 || busy || mFrameCount % 3 == 0;
    if (mRedrawCountdown > 0) --mRedrawCountdown;
    if (due && PictureChanged()) SetDirty();

    if (mExternal == nullptr) AdvanceIdleSky();
}

void SkyViewControl::AdvanceIdleSky() {
    const float t = static_cast<float>(mTime);
    mIdle.reverbLevel = Clamp01(std::sin(0.5654867f * t) * 0.24f + 0.42f);

    for (IdleCell& c : mCells) {
        c.cx = std::sin(c.phase + c.speed * t) * 0.18f + c.x0;
        c.cy = std::cos(0.8f * c.speed * t + c.phase) * 0.15f + c.y0;
        c.radius = (std::sin(c.phase + 0.5f * t) * 0.2f + 0.85f) * c.radius0;
        c.strength = c.strength0;
        if (c.flicker) c.strength *= std::fabs(std::sin(c.phase + 6.0f * t)) * 0.4f + 0.6f;
    }

    for (int i = 0; i < SkyPointTable::kCount; ++i) {
        const float px = mPoints.x[i], py = mPoints.y[i];
        float sum = 0.0f;
        for (const IdleCell& c : mCells) {
            const float d2 = (py - c.cy) * (py - c.cy) + (px - c.cx) * (px - c.cx);
            const float r2 = c.radius * c.radius;
            if (d2 < r2) {
                const float q = 1.0f - d2 / r2;
                sum += c.strength * q * q;
            }
        }
        mIdle.weights[i] = Clamp01(mIdle.reverbLevel * 0.1f + 0.1f + sum);
    }

    mSpawnAccumulator += kFrameStep;
    while (mSpawnAccumulator >= kIdleSpawnInterval) {
        mSpawnAccumulator -= kIdleSpawnInterval;
        SpawnIdleFlash();
    }

    for (SkyFlash& f : mIdle.flashes) f.age += kFrameStep;
}

bool SkyViewControl::PictureChanged() {
    const SkyViewState& s = DrawnState();
    const int glow = static_cast<int>(std::lround(GlowAlpha(s) * 255.0f));
    const float wind = WindArrowVisibility();
    const bool same = std::memcmp(&s, &mShown.state, sizeof(SkyViewState)) == 0 && glow == mShown.glowAlpha &&
                      wind == mShown.windVisibility && mWindAngle == mShown.windAngle &&
                      mPaletteIndex == mShown.paletteIndex && mSpeakers == mShown.speakers &&
                      mManualEvents == mShown.manualEvents;
    if (same) return false;
    mShown.state = s;
    mShown.glowAlpha = glow;
    mShown.windVisibility = wind;
    mShown.windAngle = mWindAngle;
    mShown.paletteIndex = mPaletteIndex;
    mShown.speakers = mSpeakers;
    mShown.manualEvents = mManualEvents;
    return true;
}

float SkyViewControl::NextRandom() {
    mSeed = mSeed * 1664525u + 1013904223u;
    return static_cast<float>(mSeed >> 8) * (1.0f / 16777216.0f);
}

void SkyViewControl::SpawnIdleFlash() {
    const IdleCell& cell = mCells[mSpawnCounter % kIdleCellCount];
    ++mSpawnCounter;
    const float u1 = NextRandom();
    const float u2 = NextRandom();
    const float u3 = NextRandom();
    NextRandom();  // the fourth draw is spent to keep the sequence in step with four per flash
    SkyFlash& f = mIdle.flashes[mFlashRing];
    f.azimuth = std::clamp(((u1 - 0.5f) * 0.18f + cell.cx) * 90.0f, kMinAzimuth, kMaxAzimuth);
    f.elevation = std::clamp((cell.cy + (u2 - 0.5f) * 0.18f) * 27.5f + 17.5f, kMinElevation, kMaxElevation);
    f.intensity = u3 * 0.45f + 0.55f;
    f.age = 0.0f;
    f.level = 0.0f;
    mFlashRing = (mFlashRing + 1) % kSkyFlashCount;
}

float SkyViewControl::XForAzimuth(float azimuth) const {
    const float a = mSpeakers ? azimuth * kSpeakerCompression : azimuth;
    return mRECT.L + mRECT.W() * (a + 90.0f) / 180.0f;
}

float SkyViewControl::YForElevation(float elevation) const {
    return mRECT.B - mRECT.H() * (elevation - kMinElevation) / kElevationSpan;
}

float SkyViewControl::AzimuthForX(float x) const {
    return std::clamp((x - mRECT.L) / mRECT.W() * 180.0f - 90.0f, kMinAzimuth, kMaxAzimuth);
}

float SkyViewControl::ElevationForY(float y) const {
    return std::clamp((mRECT.B - y) / mRECT.H() * kElevationSpan + kMinElevation, kMinElevation, kMaxElevation);
}

float SkyViewControl::WindArrowVisibility() const {
    if (mPressed && mAxis == DragAxis::Horizontal) return 1.0f;
    return Clamp01(1.0f - mWindFade / kWindFadeSeconds);
}

// ---------------------------------------------------------------------------------
// Mouse

void SkyViewControl::OnMouseDown(float x, float y, const IMouseMod&) {
    mPressX = x;
    mPressY = y;
    mPressed = true;
    mAxis = DragAxis::Undecided;
}

void SkyViewControl::OnMouseDrag(float x, float y, float, float, const IMouseMod& mod) {
    if (!mPressed) return;
    if (mAxis == DragAxis::Undecided) {
        const float dx = std::fabs(x - mPressX), dy = std::fabs(y - mPressY);
        if (dx < kDragDeadZone && dy < kDragDeadZone) return;
        mAxis = dx >= dy ? DragAxis::Horizontal : DragAxis::Vertical;
    }
    if (mAxis == DragAxis::Horizontal) {
        float angle = AzimuthForX(x);
        if (!mod.S) angle = std::round(angle / kWindStepDegrees) * kWindStepDegrees;
        mWindAngle = angle;
        mWindFade = 0.0f;
    }
    SetDirty();
}

void SkyViewControl::OnMouseUp(float, float, const IMouseMod&) {
    if (!mPressed) return;
    if (mAxis == DragAxis::Undecided) {
        if (mManualEvents && mClick) mClick(AzimuthForX(mPressX), ElevationForY(mPressY));
    } else if (mAxis == DragAxis::Horizontal) {
        // The arrow was held at full strength; let it fade from the moment of release.
        mWindFade = 0.0f;
    }
    mPressed = false;
    mAxis = DragAxis::Undecided;
    SetDirty();
}

// ---------------------------------------------------------------------------------
// Drawing

void SkyViewControl::Draw(Canvas& g) {
    const SkyViewState& s = DrawnState();
    g.PathClipRegion(mRECT);
    PaintBackdrop(s, g.Scale());
    g.DrawImage(mBackdrop.Image(), mRECT);
    DrawFlashes(g, s);
    DrawWindArrow(g);
    g.PathClipRegion();
}

void SkyViewControl::PaintBackdrop(const SkyViewState& s, float scale) {
    BackdropKey key;
    std::copy(std::begin(s.weights), std::end(s.weights), key.weights.begin());
    key.brightness = s.brightness;
    key.size = s.size;
    key.onsetGain = s.onsetGain;
    key.glowAlpha = static_cast<int>(std::lround(GlowAlpha(s) * 255.0f));
    key.paletteIndex = mPaletteIndex;
    key.speakers = mSpeakers;
    key.rect = mRECT;
    key.scale = scale;
    // A partial redraw that only passes over the sky shows the same backdrop again.
    if (key == mBackdropKey && !mBackdrop.Image().Empty()) return;
    mBackdropKey = key;
    mBackdrop.Begin(mRECT, scale);
    PaintSky(s);
    PaintGlow(s);
    PaintClouds(s);
    mBackdrop.End();
}

void SkyViewControl::PaintSky(const SkyViewState& s) {
    const SkyPaletteEntry& p = GetSkyPalette(mPaletteIndex);
    const float gain = Clamp01(s.brightness) * 0.4f + 0.8f;
    mBackdrop.FillVerticalGradient(ScaledRgb(p.skyTop, gain), ScaledRgb(p.skyBottom, gain));
}

void SkyViewControl::PaintGlow(const SkyViewState& s) {
    const SkyPaletteEntry& p = GetSkyPalette(mPaletteIndex);
    const float bright = Clamp01(s.brightness);
    const IColor base = Toward(p.cloud, p.glow, 0.55f);
    const IColor colour = Toward(base, p.flash, bright * 0.35f);
    const float alpha = GlowAlpha(s);
    const float h = mRECT.H();
    const float radius = (Clamp01(s.size) * 0.75f + 0.45f) * h;
    mBackdrop.FillRadialGlow(mRECT.MW(), mRECT.B - h * 2.0f / 11.0f, radius, WithAlphaFactor(colour, alpha));
}

float SkyViewControl::GlowAlpha(const SkyViewState& s) const {
    const float pulse = std::sin(0.62831855f * static_cast<float>(mTime)) * 0.2f + 0.8f;
    const float alpha = Clamp01(s.reverbLevel) * pulse * (mSpeakers ? 0.72f : 1.0f) * 0.95f;
    return std::max(0.0f, std::min(0.85f, alpha));
}

void SkyViewControl::PaintClouds(const SkyViewState& s) {
    const SkyPaletteEntry& p = GetSkyPalette(mPaletteIndex);
    const float h = mRECT.H();
    const float onset = Clamp01(s.onsetGain);
    for (int i = 0; i < SkyPointTable::kCount; ++i) {
        const float w = std::min(s.weights[i], 1.0f);
        if (!(w >= 0.06f)) continue;  // also drops NaN weights from a broken snapshot
        const float az = mPoints.azimuth[i];
        const float x = XForAzimuth(az), y = YForElevation(mPoints.elevation[i]);
        const IColor colour = Toward(p.cloud, p.glow, w);
        // Speakers: clouds towards the sides fade, as the narrower image does.
        const float edgeFade = mSpeakers ? 1.0f - std::fabs(az) * 0.35f / 90.0f : 1.0f;
        const float e = w * edgeFade * onset;
        const float rho = h * 0.085f * (0.9f * w + 0.7f);
        const auto opacity = [&colour](float f) { return static_cast<float>(WithAlphaFactor(colour, f).A) / 255.0f; };
        const SkyBackdrop::Disc discs[] = {
            {1.6f * rho, opacity(0.128f * e)}, {rho, opacity(0.208f * e)}, {0.55f * rho, opacity(0.272f * e)}};
        mBackdrop.FillDiscs(x, y, colour, discs);
    }
}

void SkyViewControl::DrawFlashes(Canvas& g, const SkyViewState& s) {
    FlashKey key;
    key.count = 0;
    key.colour = GetSkyPalette(mPaletteIndex).flash;
    key.height = mRECT.H();
    key.scale = g.Scale();
    const float lifetime = 1.4f - Clamp01(s.rate) * 0.44f;
    for (const SkyFlash& f : s.flashes) {
        if (!(f.intensity > 0.0f)) continue;
        const float a = f.age / lifetime;
        if (!(a < 1.0f)) continue;
        const float env = (1.0f - Smooth(Clamp01((a - 0.78f) / 0.22f))) * Smooth(Clamp01(a / 0.04f)) *
                          ((1.0f - a) * 0.45f + 0.55f);
        if (!(env > 0.0f)) continue;
        float gate = 1.0f;
        if (!mManualEvents) {
            // In auto mode quiet stars show faintly: −60 dB is invisible, −20 dB full.
            const float m = (f.level + 60.0f) / 40.0f;
            if (!(m >= 0.0f)) continue;
            gate = std::min(m, 1.0f);
            if (gate == 0.0f) continue;
        }
        const float intensity = Clamp01(f.intensity);
        key.glyphs[static_cast<std::size_t>(key.count++)] = {XForAzimuth(f.azimuth), YForElevation(f.elevation),
                                                              (intensity * 0.55f + 0.45f) * env * gate, intensity, a};
    }
    // Several partial redraws in one frame pass over the same flashes.
    if (!(key == mFlashKey)) {
        mFlashKey = key;
        // The halo (radius up to 0.047 of the height) reaches furthest; the arms' ends
        // and line widths stay inside it plus a unit.
        mFlashSprites.Begin(key.count, 0.047f * key.height + 1.0f, key.scale);
        for (int i = 0; i < key.count; ++i) {
            const FlashGlyph& glyph = key.glyphs[static_cast<std::size_t>(i)];
            if (mFlashSprites.NextSprite(glyph.x, glyph.y)) PaintStarGlyph(glyph, key.colour);
        }
        mFlashSprites.End();
    }
    g.DrawImageParts(mFlashSprites.Image(), mFlashSprites.Parts());
}

void SkyViewControl::PaintStarGlyph(const FlashGlyph& glyph, const IColor& c) {
    SpriteSheet& g = mFlashSprites;
    const float x = glyph.x, y = glyph.y, alpha = glyph.alpha, size = glyph.size;
    const float h = mRECT.H();
    const float u = 0.6f * size + 0.7f;
    g.FillCircle(WithAlphaFactor(c, 0.22f * alpha), x, y, h * 0.036f * u);
    g.FillCircle(WithAlphaFactor(c, 0.3f * alpha), x, y, h * 0.02f * u);
    const float arm = (0.4f * size + 0.6f) * h * 0.04f;
    const IColor armColour = WithAlphaFactor(c, alpha);
    g.DrawLine(armColour, x - arm, y, x + arm, y, 2.0f);
    g.DrawLine(armColour, x, y - arm, x, y + arm, 2.0f);
    const float d = 0.55f * arm;
    const IColor diagonal = WithAlphaFactor(c, 0.55f * alpha);
    g.DrawLine(diagonal, x - d, y - d, x + d, y + d, 1.25f);
    g.DrawLine(diagonal, x - d, y + d, x + d, y - d, 1.25f);
    g.FillCircle(armColour, x, y, h * 0.013f * u);
    // A young flash has a white-hot core that cools to the flash colour.
    const float k = (1.0f - Smooth(Clamp01(glyph.ageRatio / 0.35f))) * 0.82f;
    const auto heat = [k](int v) { return v + static_cast<int>(static_cast<float>(255 - v) * k); };
    const IColor core{255, heat(c.R), heat(c.G), heat(c.B)};
    g.FillCircle(WithAlphaFactor(core, alpha), x, y, h * 0.007f * u);
}

void SkyViewControl::DrawWindArrow(Canvas& g) {
    const float v = WindArrowVisibility();
    if (!(v > 0.0f)) return;
    const IColor accent = GetSkyPalette(mPaletteIndex).accent;
    const float w = mRECT.W(), h = mRECT.H();
    const float mid = mRECT.MW();
    const float y0 = mRECT.T + 0.13f * h;
    const float tip = mid + w * 0.2f * mWindAngle / 90.0f;
    const float o = h * 0.022f;
    g.DrawLine(WithAlphaFactor(accent, 0.85f * v), mid, y0, tip, y0, 2.5f);
    const float head = mWindAngle >= 0.0f ? tip + 1.4f * o : tip - 1.4f * o;
    g.FillTriangle(WithAlphaFactor(accent, 0.9f * v), tip, y0 - o, tip, y0 + o, head, y0);
    g.FillCircle(WithAlphaFactor(accent, 0.7f * v), mid, y0, h * 0.007f);
    mWindLabel.fgColor = WithAlphaFactor(accent, 0.9f * v);
    g.DrawText(mWindLabel, "WIND", IRECT(mid - 40.0f, y0 - 22.0f, mid + 40.0f, y0 - 6.0f));
}

}  // namespace halcyra
