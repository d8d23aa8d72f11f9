#include "graphics/Canvas.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>

#include "graphics/EmbeddedFonts.h"
#include "graphics/FontTable.h"
#include "graphics/PixelImage.h"
#include "nanovg.h"

extern "C" {
NVGcontext* nvgCreateGL2(int flags);
void nvgDeleteGL2(NVGcontext* ctx);
}

namespace halcyra {

namespace {

// Same values as NanoVG's GL create flags (nanovg_gl.h is compiled only in C).
constexpr int kNvgAntialias = 1 << 0;
constexpr int kNvgStencilStrokes = 1 << 1;

NVGcolor ToNvg(const IColor& c) {
    const auto ch = [](int v) { return static_cast<unsigned char>(std::clamp(v, 0, 255)); };
    return nvgRGBA(ch(c.R), ch(c.G), ch(c.B), ch(c.A));
}

// NanoVG keeps this many Save levels and ignores deeper ones.
constexpr std::size_t kMaxSaveLevels = 32;
// Textures kept for images drawn lately; the least recently drawn goes first.
constexpr std::size_t kMaxTextures = 4;

// A pixel span [p0, p1) on one axis and how much of it a shape covers.
struct Span {
    float p0, p1, cover;
};

// Splits [a, b) (pixel units) into whole pixels and the partly covered pixel at
// either end; returns how many spans it wrote.
int PixelSpans(float a, float b, Span out[3]) {
    // Pixel-aligned rectangles given in logical units come back a rounding error off.
    const auto snap = [](float x) { return std::fabs(x - std::round(x)) < 1e-3f ? std::round(x) : x; };
    a = snap(a);
    b = snap(b);
    if (!(b > a)) return 0;
    const float inA = std::ceil(a), inB = std::floor(b);
    if (inA > inB) {  // inside a single pixel
        const float p = std::floor(a);
        out[0] = {p, p + 1.0f, b - a};
        return 1;
    }
    int n = 0;
    if (inA > a) out[n++] = {inA - 1.0f, inA, inA - a};
    if (inB > inA) out[n++] = {inA, inB, 1.0f};
    if (b > inB) out[n++] = {inB, inB + 1.0f, b - inB};
    return n;
}

// Twelve o'clock, clockwise, in degrees -> NanoVG's radians from three o'clock.
float ToNvgAngle(float degrees) { return (degrees - 90.0f) * static_cast<float>(M_PI) / 180.0f; }

}  // namespace

std::unique_ptr<Canvas> Canvas::Create() {
    NVGcontext* vg = nvgCreateGL2(kNvgAntialias | kNvgStencilStrokes);
    if (vg == nullptr) return nullptr;
    return std::unique_ptr<Canvas>(new Canvas(vg));
}

Canvas::Canvas(NVGcontext* vg) : mVg(vg) {}

Canvas::~Canvas() {
    for (const Texture& t : mTextures) glDeleteTextures(1, &t.name);
    nvgDeleteGL2(mVg);
}

void Canvas::BeginFrame(int pixelWidth, int pixelHeight, float scale, PixelRect area) {
    mScale = scale > 0.0f ? scale : 1.0f;
    mPixelHeight = pixelHeight;
    mArea = area.Empty() ? PixelRect{0, 0, pixelWidth, pixelHeight} : area;
    // NanoVG turns GL's scissor test off when it flushes, so the viewport does the
    // limiting: it spans the area, and the origin moves to the area's corner.
    glViewport(mArea.x0, pixelHeight - mArea.y1, mArea.W(), mArea.H());
    mClips.assign(1, Clip{});
    StartVectorFrame();
}

void Canvas::StartVectorFrame() {
    nvgBeginFrame(mVg, static_cast<float>(mArea.W()) / mScale, static_cast<float>(mArea.H()) / mScale, mScale);
    nvgTranslate(mVg, -static_cast<float>(mArea.x0) / mScale, -static_cast<float>(mArea.y0) / mScale);
    for (std::size_t i = 0; i < mClips.size(); ++i) {
        if (i > 0) nvgSave(mVg);
        ApplyClip(mClips[i]);
    }
}

void Canvas::ApplyClip(const Clip& c) {
    if (!c.on) nvgResetScissor(mVg);
    else nvgScissor(mVg, c.r.L, c.r.T, std::max(c.r.W(), 0.0f), std::max(c.r.H(), 0.0f));
}

void Canvas::EndFrame() { nvgEndFrame(mVg); }

void Canvas::Clear(const IColor& c) {
    glClearColor(c.R / 255.0f, c.G / 255.0f, c.B / 255.0f, c.A / 255.0f);
    glClearStencil(0);
    // Clearing ignores the viewport; the scissor keeps it to the area.
    glEnable(GL_SCISSOR_TEST);
    glScissor(mArea.x0, mPixelHeight - mArea.y1, mArea.W(), mArea.H());
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

void Canvas::SyncFonts(const FontTable& fonts) {
    if (fonts.Revision() == mFontRevision) return;
    mFontRevision = fonts.Revision();
    // Fontstash cannot replace a face under an existing name, so each reload uses
    // fresh internal names; the stale faces just sit unused in the atlas.
    ++mFontGeneration;
    mFontHandles.clear();
    mFallbackFont = -1;
    for (const FontSource& s : fonts.Sources()) {
        const std::string internalName = s.id + "#" + std::to_string(mFontGeneration);
        // Fontstash only reads the bytes; freeData = 0 keeps it from releasing them.
        const int handle = nvgCreateFontMem(mVg, internalName.c_str(), const_cast<unsigned char*>(s.data),
                                            static_cast<int>(s.size), 0);
        if (handle < 0) continue;
        mFontHandles[s.id] = handle;
        if (s.id == kDefaultFontId) mFallbackFont = handle;
    }
    if (mFallbackFont < 0 && !mFontHandles.empty()) mFallbackFont = mFontHandles.begin()->second;

    // Characters a face lacks are drawn from the wide-coverage faces, not as boxes.
    for (const auto& [id, handle] : mFontHandles) {
        for (std::string_view fallbackId : kGlyphFallbackFontIds) {
            const auto fallback = mFontHandles.find(std::string(fallbackId));
            if (fallback != mFontHandles.end() && fallback->second != handle)
                nvgAddFallbackFontId(mVg, handle, fallback->second);
        }
    }
}

void Canvas::SetPaint(const IPattern& p, bool fill) {
    NVGpaint paint;
    switch (p.type) {
        case EPatternType::Solid:
            if (fill) nvgFillColor(mVg, ToNvg(p.start));
            else nvgStrokeColor(mVg, ToNvg(p.start));
            return;
        case EPatternType::Linear:
            paint = nvgLinearGradient(mVg, p.x1, p.y1, p.x2, p.y2, ToNvg(p.start), ToNvg(p.end));
            break;
        case EPatternType::Radial:
            paint = nvgRadialGradient(mVg, p.x1, p.y1, p.r1, p.r2, ToNvg(p.start), ToNvg(p.end));
            break;
    }
    if (fill) nvgFillPaint(mVg, paint);
    else nvgStrokePaint(mVg, paint);
}

void Canvas::FillRect(const IPattern& p, const IRECT& r) {
    nvgBeginPath(mVg);
    nvgRect(mVg, r.L, r.T, r.W(), r.H());
    PathFill(p);
}

void Canvas::DrawRect(const IPattern& p, const IRECT& r, float thickness) {
    nvgBeginPath(mVg);
    nvgRect(mVg, r.L, r.T, r.W(), r.H());
    PathStroke(p, thickness);
}

void Canvas::FillRoundRect(const IPattern& p, const IRECT& r, float radius) {
    nvgBeginPath(mVg);
    nvgRoundedRect(mVg, r.L, r.T, r.W(), r.H(), radius);
    PathFill(p);
}

void Canvas::DrawRoundRect(const IPattern& p, const IRECT& r, float radius, float thickness) {
    nvgBeginPath(mVg);
    nvgRoundedRect(mVg, r.L, r.T, r.W(), r.H(), radius);
    PathStroke(p, thickness);
}

void Canvas::FillCircle(const IPattern& p, float cx, float cy, float r) {
    nvgBeginPath(mVg);
    nvgCircle(mVg, cx, cy, r);
    PathFill(p);
}

void Canvas::DrawCircle(const IPattern& p, float cx, float cy, float r, float thickness) {
    nvgBeginPath(mVg);
    nvgCircle(mVg, cx, cy, r);
    PathStroke(p, thickness);
}

void Canvas::DrawArc(const IPattern& p, float cx, float cy, float r, float a1, float a2, float thickness) {
    nvgBeginPath(mVg);
    PathArc(cx, cy, r, a1, a2);
    PathStroke(p, thickness);
}

void Canvas::FillArc(const IPattern& p, float cx, float cy, float r, float a1, float a2) {
    nvgBeginPath(mVg);
    nvgMoveTo(mVg, cx, cy);
    PathArc(cx, cy, r, a1, a2);
    nvgClosePath(mVg);
    PathFill(p);
}

void Canvas::DrawLine(const IPattern& p, float x1, float y1, float x2, float y2, float thickness) {
    nvgBeginPath(mVg);
    nvgMoveTo(mVg, x1, y1);
    nvgLineTo(mVg, x2, y2);
    PathStroke(p, thickness);
}

void Canvas::FillTriangle(const IPattern& p, float x1, float y1, float x2, float y2, float x3, float y3) {
    nvgBeginPath(mVg);
    nvgMoveTo(mVg, x1, y1);
    nvgLineTo(mVg, x2, y2);
    nvgLineTo(mVg, x3, y3);
    nvgClosePath(mVg);
    PathFill(p);
}

void Canvas::DrawTriangle(const IPattern& p, float x1, float y1, float x2, float y2, float x3, float y3,
                          float thickness) {
    nvgBeginPath(mVg);
    nvgMoveTo(mVg, x1, y1);
    nvgLineTo(mVg, x2, y2);
    nvgLineTo(mVg, x3, y3);
    nvgClosePath(mVg);
    PathStroke(p, thickness);
}

void Canvas::PathClear() { nvgBeginPath(mVg); }
void Canvas::PathMoveTo(float x, float y) { nvgMoveTo(mVg, x, y); }
void Canvas::PathLineTo(float x, float y) { nvgLineTo(mVg, x, y); }
void Canvas::PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x, float y) {
    nvgBezierTo(mVg, c1x, c1y, c2x, c2y, x, y);
}
void Canvas::PathArc(float cx, float cy, float r, float a1, float a2) {
    nvgArc(mVg, cx, cy, r, ToNvgAngle(a1), ToNvgAngle(a2), a2 >= a1 ? NVG_CW : NVG_CCW);
}
void Canvas::PathClose() { nvgClosePath(mVg); }

void Canvas::PathFill(const IPattern& p) {
    SetPaint(p, true);
    nvgFill(mVg);
    nvgBeginPath(mVg);
}

void Canvas::PathStroke(const IPattern& p, float thickness, float miterLimit) {
    SetPaint(p, false);
    nvgStrokeWidth(mVg, thickness);
    nvgMiterLimit(mVg, miterLimit);
    nvgStroke(mVg);
    nvgBeginPath(mVg);
}

void Canvas::PathClipRegion(const IRECT& r) {
    Clip& c = mClips.back();
    c.r = r.Empty() ? IRECT() : c.on ? c.r.Intersect(r) : r;
    c.on = !r.Empty();
    ApplyClip(c);
}

void Canvas::Save() {
    nvgSave(mVg);
    if (mClips.size() < kMaxSaveLevels) mClips.push_back(mClips.back());
}

void Canvas::Restore() {
    nvgRestore(mVg);
    if (mClips.size() > 1) mClips.pop_back();
}

unsigned Canvas::TextureFor(const PixelImage& image) {
    auto it = std::find_if(mTextures.begin(), mTextures.end(), [&](const Texture& t) { return t.image == image.Id(); });
    if (it == mTextures.end()) {
        if (mTextures.size() >= kMaxTextures) {
            it = std::min_element(mTextures.begin(), mTextures.end(),
                                  [](const Texture& a, const Texture& b) { return a.lastUse < b.lastUse; });
            glDeleteTextures(1, &it->name);
            *it = Texture{};
        } else {
            it = mTextures.emplace(mTextures.end());
        }
        it->image = image.Id();
        glGenTextures(1, &it->name);
    }
    it->lastUse = ++mTextureUses;
    if (it->name == 0) return 0;
    glBindTexture(GL_TEXTURE_2D, it->name);
    if (it->revision == image.Revision() && it->width == image.Width() && it->height == image.Height()) return it->name;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    if (it->width == image.Width() && it->height == image.Height()) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, image.Width(), image.Height(), GL_RGBA, GL_UNSIGNED_BYTE,
                        image.Data());
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.Width(), image.Height(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     image.Data());
    }
    if (glGetError() != GL_NO_ERROR) {
        // Tried again next time rather than drawn from a texture that never took the pixels.
        it->width = it->height = 0;
        glBindTexture(GL_TEXTURE_2D, 0);
        return 0;
    }
    it->revision = image.Revision();
    it->width = image.Width();
    it->height = image.Height();
    return it->name;
}

void Canvas::DrawImage(const PixelImage& image, const IRECT& r) {
    const ImagePart whole{{0, 0, image.Width(), image.Height()}, r};
    DrawTextured(image, {&whole, 1}, false);
}

void Canvas::DrawImageParts(const PixelImage& image, std::span<const ImagePart> parts) {
    DrawTextured(image, parts, true);
}

void Canvas::DrawTextured(const PixelImage& image, std::span<const ImagePart> parts, bool premultiplied) {
    const Clip& clip = mClips.back();
    const auto shownPart = [&clip](const IRECT& r) { return clip.on ? clip.r.Intersect(r) : r; };
    if (image.Empty() || std::none_of(parts.begin(), parts.end(), [&](const ImagePart& p) {
            return !p.target.Empty() && !shownPart(p.target).Empty();
        }))
        return;
    // What NanoVG has queued lies beneath the picture.
    nvgEndFrame(mVg);
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
        // earlier errors must not count against the upload
    }
    if (const unsigned texture = TextureFor(image)) {
        glDisable(GL_SCISSOR_TEST);
        glDisable(GL_STENCIL_TEST);
        glDisable(GL_CULL_FACE);
        glUseProgram(0);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        // Partly covered edge pixels blend by their coverage, as antialiased fills do.
        if (premultiplied) glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        else glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        if (premultiplied) glEnable(GL_BLEND);
        // Pixel position -> the viewport's -1..1, y up.
        const float areaW = static_cast<float>(mArea.W()), areaH = static_cast<float>(mArea.H());
        const auto ndcX = [&](float x) { return 2.0f * (x - static_cast<float>(mArea.x0)) / areaW - 1.0f; };
        const auto ndcY = [&](float y) { return 1.0f - 2.0f * (y - static_cast<float>(mArea.y0)) / areaH; };
        const float imageW = static_cast<float>(image.Width()), imageH = static_cast<float>(image.Height());
        for (const ImagePart& part : parts) {
            const IRECT shown = shownPart(part.target);
            if (part.target.Empty() || shown.Empty()) continue;
            Span xs[3], ys[3];
            const int nx = PixelSpans(std::max(shown.L * mScale, static_cast<float>(mArea.x0)),
                                      std::min(shown.R * mScale, static_cast<float>(mArea.x1)), xs);
            const int ny = PixelSpans(std::max(shown.T * mScale, static_cast<float>(mArea.y0)),
                                      std::min(shown.B * mScale, static_cast<float>(mArea.y1)), ys);
            // Pixel position -> where in the image, 0..1.
            const IRECT& t = part.target;
            const PixelRect& src = part.source;
            const auto u = [&](float x) {
                return (static_cast<float>(src.x0) + (x / mScale - t.L) / t.W() * static_cast<float>(src.W())) / imageW;
            };
            const auto v = [&](float y) {
                return (static_cast<float>(src.y0) + (y / mScale - t.T) / t.H() * static_cast<float>(src.H())) / imageH;
            };
            for (int j = 0; j < ny; ++j) {
                for (int i = 0; i < nx; ++i) {
                    const float cover = xs[i].cover * ys[j].cover;
                    if (premultiplied) {
                        glColor4f(cover, cover, cover, cover);
                    } else {
                        if (cover >= 1.0f) glDisable(GL_BLEND);
                        else glEnable(GL_BLEND);
                        glColor4f(1.0f, 1.0f, 1.0f, cover);
                    }
                    glBegin(GL_QUADS);
                    glTexCoord2f(u(xs[i].p0), v(ys[j].p0));
                    glVertex2f(ndcX(xs[i].p0), ndcY(ys[j].p0));
                    glTexCoord2f(u(xs[i].p0), v(ys[j].p1));
                    glVertex2f(ndcX(xs[i].p0), ndcY(ys[j].p1));
                    glTexCoord2f(u(xs[i].p1), v(ys[j].p1));
                    glVertex2f(ndcX(xs[i].p1), ndcY(ys[j].p1));
                    glTexCoord2f(u(xs[i].p1), v(ys[j].p0));
                    glVertex2f(ndcX(xs[i].p1), ndcY(ys[j].p0));
                    glEnd();
                }
            }
        }
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    StartVectorFrame();
}

bool Canvas::SelectFont(const IText& style) {
    const auto it = mFontHandles.find(style.font);
    const int handle = it != mFontHandles.end() ? it->second : mFallbackFont;
    if (handle < 0) return false;
    nvgFontFaceId(mVg, handle);
    nvgFontSize(mVg, style.size);
    nvgTextLetterSpacing(mVg, 0.0f);
    return true;
}

void Canvas::DrawText(const IText& style, std::string_view text, const IRECT& bounds) {
    if (text.empty() || !SelectFont(style)) return;
    int align = 0;
    float x = bounds.L;
    float y = bounds.T;
    switch (style.align) {
        case EAlign::Near: align |= NVG_ALIGN_LEFT; x = bounds.L; break;
        case EAlign::Center: align |= NVG_ALIGN_CENTER; x = bounds.MW(); break;
        case EAlign::Far: align |= NVG_ALIGN_RIGHT; x = bounds.R; break;
    }
    switch (style.valign) {
        case EVAlign::Top: align |= NVG_ALIGN_TOP; y = bounds.T; break;
        case EVAlign::Middle: align |= NVG_ALIGN_MIDDLE; y = bounds.MH(); break;
        case EVAlign::Bottom: align |= NVG_ALIGN_BOTTOM; y = bounds.B; break;
    }
    nvgTextAlign(mVg, align);
    nvgFillColor(mVg, ToNvg(style.fgColor));
    nvgText(mVg, x, y, text.data(), text.data() + text.size());
}

float Canvas::MeasureText(const IText& style, std::string_view text) {
    if (text.empty() || !SelectFont(style)) return 0.0f;
    nvgTextAlign(mVg, NVG_ALIGN_LEFT | NVG_ALIGN_BASELINE);
    return nvgTextBounds(mVg, 0.0f, 0.0f, text.data(), text.data() + text.size(), nullptr);
}

}  // namespace halcyra
