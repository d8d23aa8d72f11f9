// The drawing surface controls paint on: vector shapes, gradients, clipping and text
// in logical canvas units, rendered through NanoVG on the current OpenGL 2 context.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "graphics/DirtyRegion.h"
#include "graphics/IPattern.h"
#include "graphics/IRECT.h"
#include "graphics/IText.h"

struct NVGcontext;

namespace halcyra {

class FontTable;
class PixelImage;

class Canvas {
public:
    // Needs a current OpenGL 2 context (with a stencil buffer); nullptr when NanoVG
    // cannot set up its shaders on it.
    static std::unique_ptr<Canvas> Create();
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Everything between these is drawn in logical units, magnified by `scale` into
    // a framebuffer of pixelWidth × pixelHeight. Only the pixels of `area` change (all
    // of them when it is empty): the viewport covers just that area, so a software
    // rasteriser spends nothing on the rest.
    void BeginFrame(int pixelWidth, int pixelHeight, float scale, PixelRect area = {});
    void EndFrame();
    // Clears the frame's area.
    void Clear(const IColor& color);

    // Makes the table's fonts available by id; cheap when nothing changed.
    void SyncFonts(const FontTable& fonts);

    void FillRect(const IPattern& p, const IRECT& r);
    void DrawRect(const IPattern& p, const IRECT& r, float thickness = 1.0f);
    void FillRoundRect(const IPattern& p, const IRECT& r, float radius);
    void DrawRoundRect(const IPattern& p, const IRECT& r, float radius, float thickness = 1.0f);
    void FillCircle(const IPattern& p, float cx, float cy, float r);
    void DrawCircle(const IPattern& p, float cx, float cy, float r, float thickness = 1.0f);
    // Angles in degrees, 0 at twelve o'clock, growing clockwise; drawn from a1 to a2.
    void DrawArc(const IPattern& p, float cx, float cy, float r, float a1, float a2, float thickness = 1.0f);
    void FillArc(const IPattern& p, float cx, float cy, float r, float a1, float a2);
    void DrawLine(const IPattern& p, float x1, float y1, float x2, float y2, float thickness = 1.0f);
    void FillTriangle(const IPattern& p, float x1, float y1, float x2, float y2, float x3, float y3);
    void DrawTriangle(const IPattern& p, float x1, float y1, float x2, float y2, float x3, float y3,
                      float thickness = 1.0f);

    // Shows an opaque picture stretched over `r` with linear filtering, inside the
    // current clip. One plain textured quad: under a software rasteriser that costs a
    // fraction of a vector fill of the same area. Vector drawing queued before it is
    // flushed first, so the order of drawing holds.
    void DrawImage(const PixelImage& image, const IRECT& r);
    // Pieces of an image with premultiplied alpha, each blended over its target
    // rectangle, all from one texture in one batch (sprites).
    struct ImagePart {
        PixelRect source;  // image pixels
        IRECT target;
    };
    void DrawImageParts(const PixelImage& image, std::span<const ImagePart> parts);

    // Free-form paths: build with the Path* calls, then fill or stroke (which clears it).
    void PathClear();
    void PathMoveTo(float x, float y);
    void PathLineTo(float x, float y);
    void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x, float y);
    void PathArc(float cx, float cy, float r, float a1, float a2);
    void PathClose();
    void PathFill(const IPattern& p);
    void PathStroke(const IPattern& p, float thickness = 1.0f, float miterLimit = 10.0f);

    // Limits drawing to a rectangle (intersected with any current clip); an empty
    // rectangle removes the clip.
    void PathClipRegion(const IRECT& r = IRECT());
    // Saves / restores clip and transform, so one control's clip never leaks to the next.
    void Save();
    void Restore();

    // Text placed in `bounds` by the style's alignment. Unknown font ids fall back
    // to "Roboto-Regular".
    void DrawText(const IText& style, std::string_view text, const IRECT& bounds);
    // Advance width in logical units.
    float MeasureText(const IText& style, std::string_view text);

    float Scale() const { return mScale; }
    NVGcontext* Context() const { return mVg; }

private:
    // The clip of one Save level, in logical units.
    struct Clip {
        bool on = false;
        IRECT r;
    };
    struct Texture {
        std::uint64_t image = 0;
        std::uint64_t revision = 0;
        std::uint64_t lastUse = 0;
        unsigned name = 0;
        int width = 0;
        int height = 0;
    };

    explicit Canvas(NVGcontext* vg);
    void SetPaint(const IPattern& p, bool fill);
    bool SelectFont(const IText& style);
    // Starts NanoVG's frame on the area, with the clips of every Save level.
    void StartVectorFrame();
    void ApplyClip(const Clip& c);
    // The image's texture, uploaded if its pixels changed; 0 when GL refuses it.
    unsigned TextureFor(const PixelImage& image);
    void DrawTextured(const PixelImage& image, std::span<const ImagePart> parts, bool premultiplied);

    NVGcontext* mVg = nullptr;
    float mScale = 1.0f;
    int mPixelHeight = 0;
    PixelRect mArea;
    std::vector<Clip> mClips;  // NanoVG's state stack, as far as clipping goes
    std::vector<Texture> mTextures;
    std::uint64_t mTextureUses = 0;
    std::unordered_map<std::string, int> mFontHandles;
    int mFallbackFont = -1;
    unsigned mFontRevision = ~0u;
    unsigned mFontGeneration = 0;
};

}  // namespace halcyra
