// The whole editor built on a fake plug-in, with mouse helpers in logical units and
// pixel probes that follow the draw scale.
#pragma once

#include <cstdlib>
#include <ostream>

#include <gtest/gtest.h>

#include "FakeEditorContext.h"
#include "editor/EditorLayout.h"
#include "graphics/IGraphics.h"
#include "graphics/offscreen/OffscreenRenderer.h"

namespace halcyra {

inline std::ostream& operator<<(std::ostream& os, const IColor& c) {
    return os << "(" << c.A << ", " << c.R << ", " << c.G << ", " << c.B << ")";
}

namespace test {

// src over dst with src's alpha, as the rasteriser blends onto an opaque background.
inline IColor Blend(const IColor& src, const IColor& dst) {
    const double a = src.A / 255.0;
    const auto mix = [a](int s, int d) { return static_cast<int>(d + (s - d) * a + 0.5); };
    return {255, mix(src.R, dst.R), mix(src.G, dst.G), mix(src.B, dst.B)};
}

inline ::testing::AssertionResult ColorNear(const IColor& actual, const IColor& expected, int tolerance = 3) {
    if (std::abs(actual.R - expected.R) <= tolerance && std::abs(actual.G - expected.G) <= tolerance &&
        std::abs(actual.B - expected.B) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour " << actual << " is not within " << tolerance << " of " << expected;
}

class EditorFixture {
public:
    explicit EditorFixture(float scale = 1.0f) : ui(&ctx, 760, 560, 60, scale) {
        BuildEditorLayout(ui, ctx);
        ctx.graphics = &ui;
    }

    void Click(float x, float y) {
        ui.OnMouseDown(x, y, IMouseMod(true));
        ui.OnMouseUp(x, y, IMouseMod(true));
    }
    void DoubleClick(float x, float y) {
        Click(x, y);
        ui.OnMouseDblClick(x, y, IMouseMod(true));
        ui.OnMouseUp(x, y, IMouseMod(true));
    }
    // Press at (x0, y), move to each x in turn, release at the last.
    void DragX(float x0, float y, std::initializer_list<float> xs) {
        ui.OnMouseDown(x0, y, IMouseMod(true));
        float last = x0;
        for (float x : xs) {
            ui.OnMouseDrag(x, y, x - last, 0.0f, IMouseMod(true));
            last = x;
        }
        ui.OnMouseUp(last, y, IMouseMod(true));
    }
    void DragY(float x, float y0, float dy) {
        ui.OnMouseDown(x, y0, IMouseMod(true));
        ui.OnMouseDrag(x, y0 + dy, 0.0f, dy, IMouseMod(true));
        ui.OnMouseUp(x, y0 + dy, IMouseMod(true));
    }

    template <typename T>
    T* Tagged(int tag) const {
        return dynamic_cast<T*>(ui.GetControlWithTag(tag));
    }

    bool Render() { return renderer.Render(ui); }
    // Pixel under a logical point.
    IColor At(float x, float y) const {
        const float s = ui.GetDrawScale();
        return renderer.PixelAt(static_cast<int>(x * s), static_cast<int>(y * s));
    }

    FakeEditorContext ctx;
    IGraphics ui;
    OffscreenRenderer renderer;
};

}  // namespace test
}  // namespace halcyra
