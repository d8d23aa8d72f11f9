// Draws an IGraphics without any window, through Mesa's software OpenGL (OSMesa),
// into a pixel buffer: for tests and for pictures of the editor.
//
// Link halcyra_graphics_offscreen, never together with libGL in the same program:
// both provide the gl* entry points.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/IColor.h"

namespace halcyra {

class IGraphics;

class OffscreenRenderer {
public:
    OffscreenRenderer();
    ~OffscreenRenderer();
    OffscreenRenderer(const OffscreenRenderer&) = delete;
    OffscreenRenderer& operator=(const OffscreenRenderer&) = delete;

    // Renders the whole picture at the graphics' current scale. False when OSMesa or
    // NanoVG fail.
    bool Render(IGraphics& graphics);
    // As the editor window does: keeps the last picture and redraws only what changed
    // since (everything when it last showed another graphics or another size), and
    // nothing at all when nothing changed.
    bool Update(IGraphics& graphics);

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    // Pixel at (x, y) in pixels, origin top left; opaque black outside the picture.
    IColor PixelAt(int x, int y) const;
    // Rows top to bottom, 4 bytes RGBA each.
    const std::vector<std::uint8_t>& Pixels() const;

    bool WritePng(const char* path) const;

private:
    bool Draw(IGraphics& graphics, bool keepPicture);

    struct Impl;
    Impl* mImpl;
    int mWidth = 0;
    int mHeight = 0;
    // Turned top down only when asked for: an editor frame need not pay for it.
    mutable std::vector<std::uint8_t> mTopDown;
    mutable bool mTopDownStale = false;
};

// Renders once and writes a PNG; false if either step fails.
bool RenderToPng(IGraphics& graphics, const char* path);

}  // namespace halcyra
