// The editor window's picture between frames: a framebuffer object the graphics
// draw into, copied whole to the window's back buffer before each swap. After a swap
// the back buffer's content is undefined, so without it every frame would have to
// repaint everything; with it, a frame draws only what changed.
#pragma once

#include <cstdint>

namespace halcyra {

class GlRenderTarget {
public:
    GlRenderTarget() = default;
    GlRenderTarget(const GlRenderTarget&) = delete;
    GlRenderTarget& operator=(const GlRenderTarget&) = delete;

    // Makes the target pixelWidth × pixelHeight (a new size starts a new, empty
    // picture) and directs drawing into it. False, with drawing going to the window,
    // when the context has no usable framebuffer objects.
    bool Bind(int pixelWidth, int pixelHeight);
    // Copies the picture to the window's back buffer, at the bottom-left as a
    // viewport at the origin would put it, and directs drawing to the window again.
    void CopyToWindow();
    // Frees the GL objects; the context they were made in must be current.
    void Release();
    // Drops them without GL calls, for a context that is going away anyway.
    void Forget();

    // Stays the same as long as the picture is kept (see IGraphics::Draw).
    std::uint64_t SurfaceId() const { return mSurfaceId; }

private:
    unsigned mFramebuffer = 0;
    unsigned mColor = 0;
    unsigned mDepthStencil = 0;
    int mWidth = 0;
    int mHeight = 0;
    bool mUnavailable = false;
    std::uint64_t mSurfaceId = 0;
};

}  // namespace halcyra
