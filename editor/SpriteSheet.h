// Small shapes (circles, thick lines) rasterised on the CPU at full resolution into
// one premultiplied image, a square slot per sprite, pixel-aligned with the surface,
// for Canvas::DrawImageParts. Under a software rasteriser every vector shape is a
// draw call of its own; a sheet of sprites is one batch of textured quads.
// Coordinates are logical units, as on the canvas.
#pragma once

#include <span>
#include <vector>

#include "graphics/Canvas.h"
#include "graphics/IColor.h"
#include "graphics/PixelImage.h"

namespace halcyra {

class SpriteSheet {
public:
    // Starts an empty sheet of up to `capacity` sprites reaching at most `extent` from
    // their centres, for a surface of `scale` pixels per unit.
    void Begin(int capacity, float extent, float scale);
    // Starts the next sprite, centred on (x, y); the shapes that follow are drawn into
    // it, clipped to its slot. False when the sheet is full.
    bool NextSprite(float x, float y);
    void FillCircle(const IColor& c, float cx, float cy, float r);
    // Butt ends, as the canvas draws lines.
    void DrawLine(const IColor& c, float x1, float y1, float x2, float y2, float thickness);
    // Writes the image.
    void End();

    const PixelImage& Image() const { return mImage; }
    std::span<const Canvas::ImagePart> Parts() const { return mParts; }

private:
    // Blends `c` over the current slot where `cover` (of the pixel centre, in pixels) says.
    template <typename Cover>
    void Paint(const IColor& c, float x0, float y0, float x1, float y1, Cover cover);

    float mScale = 1.0f;
    int mSlot = 0;  // pixels per side
    int mCapacity = 0;
    int mOriginX = 0, mOriginY = 0;  // surface pixel of the current slot's top left
    std::vector<float> mPixels;      // premultiplied RGBA in 0..255
    std::vector<Canvas::ImagePart> mParts;
    PixelImage mImage;
};

}  // namespace halcyra
