// The soft part of the sky picture (gradient, horizon glow, clouds), computed on the
// CPU at a reduced resolution into an opaque image that the view shows stretched
// with linear filtering. None of it has an edge sharper than a couple of pixels, so
// the reduction does not show, while a software rasteriser is spared hundreds of
// blended full-window vector fills per frame. Coordinates are logical units.
#pragma once

#include <span>
#include <vector>

#include "graphics/IColor.h"
#include "graphics/IRECT.h"
#include "graphics/PixelImage.h"

namespace halcyra {

class SkyBackdrop {
public:
    // Surface pixels per image pixel, along each axis.
    static constexpr int kReduction = 2;

    // Starts a picture of `area` for a surface of `scale` pixels per unit.
    void Begin(const IRECT& area, float scale);
    // Opaque: `top` along the area's top edge to `bottom` along its bottom edge.
    void FillVerticalGradient(const IColor& top, const IColor& bottom);
    // `centre` (with its alpha) at (cx, cy), fading linearly to nothing at `radius`.
    void FillRadialGlow(float cx, float cy, float radius, const IColor& centre);
    // Concentric discs of one colour, each blended over what lies beneath with its own
    // opacity (0..1); with one colour their order does not matter. Edges are smoothed
    // over one image pixel.
    struct Disc {
        float radius;
        float opacity;
    };
    void FillDiscs(float cx, float cy, const IColor& colour, std::span<const Disc> discs);
    // Writes the image.
    void End();

    const PixelImage& Image() const { return mImage; }

private:
    float X(int i) const { return mArea.L + (static_cast<float>(i) + 0.5f) * mStepX; }
    float Y(int j) const { return mArea.T + (static_cast<float>(j) + 0.5f) * mStepY; }
    // Image pixel indices whose centres lie within [lo, hi] along an axis, clamped to the image.
    static void Span(float lo, float hi, float origin, float step, int count, int& first, int& last);

    IRECT mArea;
    int mWidth = 0;
    int mHeight = 0;
    float mStepX = 1.0f;  // logical units per image pixel
    float mStepY = 1.0f;
    // Planes of red, green and blue in 0..255, kept in float until End().
    std::vector<float> mRed, mGreen, mBlue;
    std::vector<float> mRow;  // scratch, one image row
    PixelImage mImage;
};

}  // namespace halcyra
