#include "graphics/offscreen/OffscreenRenderer.h"

#include <GL/osmesa.h>

#include <cstring>
#include <memory>

#include "graphics/Canvas.h"
#include "graphics/IGraphics.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace halcyra {

struct OffscreenRenderer::Impl {
    OSMesaContext context = nullptr;
    std::vector<std::uint8_t> bottomUp;  // OSMesa's buffer: first row is the bottom one
    int width = 0;
    int height = 0;
    std::unique_ptr<Canvas> canvas;
    // What the buffer shows: which graphics, drawn as which surface.
    const IGraphics* shown = nullptr;
    std::uint64_t surfaceId = 0;

    ~Impl() {
        if (context != nullptr) {
            // The canvas frees GL objects, so it goes while its context is still current.
            if (canvas && width > 0) OSMesaMakeCurrent(context, bottomUp.data(), GL_UNSIGNED_BYTE, width, height);
            canvas.reset();
            OSMesaDestroyContext(context);
        }
    }
};

OffscreenRenderer::OffscreenRenderer() : mImpl(new Impl) {}

OffscreenRenderer::~OffscreenRenderer() { delete mImpl; }

bool OffscreenRenderer::Render(IGraphics& graphics) { return Draw(graphics, false); }

bool OffscreenRenderer::Update(IGraphics& graphics) { return Draw(graphics, true); }

bool OffscreenRenderer::Draw(IGraphics& graphics, bool keepPicture) {
    const int w = graphics.PixelWidth();
    const int h = graphics.PixelHeight();
    if (w <= 0 || h <= 0) return false;
    if (mImpl->context == nullptr) {
        // NanoVG needs a stencil buffer for concave fills and clean strokes.
        mImpl->context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
        if (mImpl->context == nullptr) return false;
    }
    const bool kept = keepPicture && mImpl->shown == &graphics && w == mImpl->width && h == mImpl->height;
    if (kept && !graphics.IsDirty()) return true;
    if (!kept) {
        Pixels();  // the last picture stays readable should this draw fail
        // A new picture: OSMesa renders into our buffer, which then counts as a new surface.
        mImpl->bottomUp.assign(static_cast<std::size_t>(w) * h * 4, 0);
        mImpl->width = w;
        mImpl->height = h;
        mImpl->surfaceId = IGraphics::NewSurfaceId();
    }
    mImpl->shown = nullptr;
    if (!OSMesaMakeCurrent(mImpl->context, mImpl->bottomUp.data(), GL_UNSIGNED_BYTE, w, h)) return false;
    if (!mImpl->canvas) {
        mImpl->canvas = Canvas::Create();
        if (!mImpl->canvas) return false;
    }
    graphics.Draw(*mImpl->canvas, mImpl->surfaceId);
    glFinish();
    mImpl->shown = &graphics;

    mWidth = w;
    mHeight = h;
    mTopDownStale = true;
    return true;
}

const std::vector<std::uint8_t>& OffscreenRenderer::Pixels() const {
    if (!mTopDownStale) return mTopDown;
    mTopDownStale = false;
    mTopDown.resize(mImpl->bottomUp.size());
    const std::size_t row = static_cast<std::size_t>(mWidth) * 4;
    for (int y = 0; y < mHeight; ++y) {
        std::memcpy(mTopDown.data() + static_cast<std::size_t>(y) * row,
                    mImpl->bottomUp.data() + static_cast<std::size_t>(mHeight - 1 - y) * row, row);
    }
    return mTopDown;
}

IColor OffscreenRenderer::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return COLOR_BLACK;
    const std::uint8_t* p = Pixels().data() + (static_cast<std::size_t>(y) * mWidth + x) * 4;
    return {p[3], p[0], p[1], p[2]};
}

bool OffscreenRenderer::WritePng(const char* path) const {
    if (path == nullptr || mWidth <= 0 || mHeight <= 0) return false;
    return stbi_write_png(path, mWidth, mHeight, 4, Pixels().data(), mWidth * 4) != 0;
}

bool RenderToPng(IGraphics& graphics, const char* path) {
    OffscreenRenderer renderer;
    return renderer.Render(graphics) && renderer.WritePng(path);
}

}  // namespace halcyra
