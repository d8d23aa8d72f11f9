// The sky view and its feeder on a fake plug-in, on a 760 × 560 canvas at scale 1,
// with frame stepping, mouse helpers and offscreen pixel probes.
#pragma once

#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "SkyTestContext.h"
#include "editor/SkyViewControl.h"
#include "editor/SkyViewFeeder.h"
#include "graphics/IGraphics.h"
#include "graphics/offscreen/OffscreenRenderer.h"

namespace halcyra::test {

inline constexpr IRECT kSkyRect{0.0f, 44.0f, 760.0f, 388.0f};
inline constexpr IColor kBackground{255, 14, 16, 22};

inline ::testing::AssertionResult ColorNear(const IColor& actual, const IColor& expected, int tolerance = 2) {
    if (std::abs(actual.R - expected.R) <= tolerance && std::abs(actual.G - expected.G) <= tolerance &&
        std::abs(actual.B - expected.B) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour " << Describe(actual) << " is not within " << tolerance << " of "
                                         << Describe(expected);
}

inline int Brightness(const IColor& c) { return c.R + c.G + c.B; }

class SkyFixture {
public:
    // withFeeder = false leaves the sky alone, for tests that attach their own state.
    explicit SkyFixture(bool withFeeder = true) {
        ui.AttachPanelBackground(kBackground);
        sky = static_cast<SkyViewControl*>(ui.AttachControl(new SkyViewControl(kSkyRect, 2)));
        if (withFeeder) feeder = static_cast<SkyViewFeeder*>(ui.AttachControl(new SkyViewFeeder(ctx, *sky)));
    }

    void Frames(int n) {
        for (int i = 0; i < n; ++i) ui.OnFrame(1.0 / 60.0);
    }

    void Click(float x, float y) {
        ui.OnMouseDown(x, y, IMouseMod(true));
        ui.OnMouseUp(x, y, IMouseMod(true));
    }

    // Press at (x0, y0), move through the points, release at the last one.
    void Drag(float x0, float y0, std::initializer_list<std::pair<float, float>> path, bool shift = false) {
        const IMouseMod mod(true, false, shift);
        ui.OnMouseDown(x0, y0, mod);
        float lx = x0, ly = y0;
        for (const auto& [x, y] : path) {
            ui.OnMouseDrag(x, y, x - lx, y - ly, mod);
            lx = x;
            ly = y;
        }
        ui.OnMouseUp(lx, ly, mod);
    }

    bool Render() { return renderer.Render(ui); }
    IColor At(float x, float y) const { return renderer.PixelAt(static_cast<int>(x), static_cast<int>(y)); }

    SkyTestContext ctx;
    IGraphics ui{nullptr, 760, 560, 60, 1.0f};
    SkyViewControl* sky = nullptr;
    SkyViewFeeder* feeder = nullptr;
    OffscreenRenderer renderer;
};

}  // namespace halcyra::test
