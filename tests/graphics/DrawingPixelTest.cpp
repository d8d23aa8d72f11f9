// Pixel probes of the drawing operations, rendered offscreen at scale 1 and 2.
#include <gtest/gtest.h>

#include <string>

#include "CanvasProbe.h"
#include "graphics/IGraphics.h"
#include "graphics/PixelImage.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/offscreen/OffscreenRenderer.h"

namespace halcyra::test {
namespace {

constexpr IColor kWindow{255, 14, 16, 22};
constexpr IColor kRed{255, 220, 30, 40};
constexpr IColor kBlue{255, 20, 40, 230};
constexpr IColor kWhite{255, 255, 255, 255};

class DrawingAtScale : public ::testing::TestWithParam<float> {
protected:
    IGraphics ui{nullptr, 760, 560, 60, GetParam()};
    OffscreenRenderer renderer;

    void SetUp() override { ui.AttachPanelBackground(kWindow); }
    // Probe at logical coordinates: the renderer works in pixels.
    IColor At(float x, float y) const {
        const float s = ui.GetDrawScale();
        return renderer.PixelAt(static_cast<int>(x * s), static_cast<int>(y * s));
    }
    void Render() { ASSERT_TRUE(renderer.Render(ui)); }
};

TEST_P(DrawingAtScale, PictureHasTheScaledPixelSizeAndThePanelColour) {
    Render();
    EXPECT_EQ(renderer.Width(), static_cast<int>(760 * GetParam() + 0.5f));
    EXPECT_EQ(renderer.Height(), static_cast<int>(560 * GetParam() + 0.5f));
    EXPECT_TRUE(ColorNear(At(2, 2), kWindow, 0));
    EXPECT_TRUE(ColorNear(At(758, 558), kWindow, 0));
    EXPECT_TRUE(ColorNear(At(380, 280), kWindow, 0));
}

TEST_P(DrawingAtScale, RectanglesAndRoundedCornersLandOnScaledCoordinates) {
    ui.AttachControl(new LambdaControl(IRECT(100, 100, 300, 200), [](Canvas& g, const IRECT& r) {
        g.FillRoundRect(kRed, r, 30.0f);
        g.FillRect(kBlue, IRECT(400, 100, 500, 200));
    }));
    Render();
    EXPECT_TRUE(ColorNear(At(200, 150), kRed));
    EXPECT_TRUE(ColorNear(At(130, 105), kRed));       // along the top edge, past the corner arc
    EXPECT_TRUE(ColorNear(At(102, 102), kWindow));    // cut off by the 30-unit corner radius
    EXPECT_TRUE(ColorNear(At(298, 198), kWindow));
    EXPECT_TRUE(ColorNear(At(96, 150), kWindow));     // just outside the left edge
    EXPECT_TRUE(ColorNear(At(401, 101), kBlue));      // square corner is filled
    EXPECT_TRUE(ColorNear(At(499, 199), kBlue));
    EXPECT_TRUE(ColorNear(At(503, 150), kWindow));
}

TEST_P(DrawingAtScale, CirclesFillAndStrokeOnlyWhereTheyShould) {
    ui.AttachControl(new LambdaControl(IRECT(0, 0, 760, 560), [](Canvas& g, const IRECT&) {
        g.FillCircle(kRed, 200, 300, 50);
        g.DrawCircle(kWhite, 500, 300, 50, 6.0f);
    }));
    Render();
    EXPECT_TRUE(ColorNear(At(200, 300), kRed));
    EXPECT_TRUE(ColorNear(At(200 + 45, 300), kRed));
    EXPECT_TRUE(ColorNear(At(200 + 40, 300 + 40), kWindow));  // 56.6 from the centre
    EXPECT_TRUE(ColorNear(At(500 + 50, 300), kWhite));        // on the ring
    EXPECT_TRUE(ColorNear(At(500, 300 - 50), kWhite));
    EXPECT_TRUE(ColorNear(At(500, 300), kWindow));            // stroke leaves the inside alone
}

TEST_P(DrawingAtScale, LinearGradientRunsFromFirstToLastStop) {
    ui.AttachControl(new LambdaControl(IRECT(0, 100, 760, 300), [](Canvas& g, const IRECT& r) {
        g.FillRect(IPattern::Linear(0, r.T, 0, r.B, kRed, kBlue), r);
    }));
    Render();
    const IColor top = At(380, 101);
    const IColor mid = At(380, 200);
    const IColor bottom = At(380, 299);
    EXPECT_TRUE(ColorNear(top, kRed, 6));
    EXPECT_TRUE(ColorNear(bottom, kBlue, 6));
    EXPECT_TRUE(ColorNear(mid, IColor(255, 120, 35, 135), 8));
    // Same colour across a row: the gradient is vertical.
    EXPECT_TRUE(ColorNear(At(10, 200), mid, 1));
    EXPECT_TRUE(ColorNear(At(750, 200), mid, 1));
}

TEST_P(DrawingAtScale, RadialGradientFadesOutwardFromItsCentre) {
    ui.AttachControl(new LambdaControl(IRECT(0, 0, 760, 560), [](Canvas& g, const IRECT& r) {
        g.FillRect(IPattern::Radial(380, 280, 0, 200, kWhite, kWhite.WithAlpha(0)), r);
    }));
    Render();
    EXPECT_TRUE(ColorNear(At(380, 280), kWhite, 6));
    EXPECT_TRUE(ColorNear(At(380 + 250, 280), kWindow, 1));  // beyond the outer radius
    const IColor halfway = At(380 + 100, 280);
    EXPECT_GT(halfway.R, kWindow.R + 60);
    EXPECT_LT(halfway.R, 255 - 60);
}

TEST_P(DrawingAtScale, ClipLimitsOneControlAndDoesNotLeakIntoTheNext) {
    ui.AttachControl(new LambdaControl(IRECT(100, 100, 200, 200), [](Canvas& g, const IRECT& r) {
        g.PathClipRegion(r);
        g.FillRect(kRed, IRECT(0, 0, 760, 560));
    }));
    ui.AttachControl(new LambdaControl(IRECT(300, 300, 400, 400), [](Canvas& g, const IRECT& r) {
        g.FillRect(kBlue, r);
    }));
    Render();
    EXPECT_TRUE(ColorNear(At(150, 150), kRed));
    EXPECT_TRUE(ColorNear(At(50, 50), kWindow));
    EXPECT_TRUE(ColorNear(At(250, 150), kWindow));
    EXPECT_TRUE(ColorNear(At(350, 350), kBlue));  // drawn although the previous control clipped
}

TEST_P(DrawingAtScale, ImagesShowUprightInsideTheClipAndTheClipOutlivesThem) {
    // Texels: red, blue, premultiplied half white over white, window colour, clear.
    PixelImage image;
    image.Resize(3, 2);
    const std::uint8_t rgba[] = {220, 30, 40, 255, 20, 40, 230, 255, 128, 128, 128, 128,
                                 255, 255, 255, 255, 14, 16, 22, 255, 0, 0, 0, 0};
    std::copy(std::begin(rgba), std::end(rgba), image.Pixels());
    ui.AttachControl(new LambdaControl(IRECT(100, 100, 300, 300), [&image](Canvas& g, const IRECT& r) {
        g.PathClipRegion(IRECT(100, 100, 250, 400));
        g.DrawImage(image, r);
        g.FillRect(kBlue, IRECT(0, 320, 760, 340));
        const Canvas::ImagePart half{{2, 0, 3, 1}, IRECT(200, 350, 240, 390)};
        g.DrawImageParts(image, {&half, 1});
    }));
    ui.AttachControl(new LambdaControl(IRECT(400, 400, 500, 500), [](Canvas& g, const IRECT& r) {
        g.FillRect(kRed, r);
    }));
    Render();
    EXPECT_TRUE(ColorNear(At(110, 110), kRed));
    EXPECT_TRUE(ColorNear(At(110, 290), kWhite));
    EXPECT_TRUE(ColorNear(At(200, 110), kBlue));
    EXPECT_TRUE(ColorNear(At(260, 150), kWindow));    // outside the clip
    EXPECT_TRUE(ColorNear(At(200, 330), kBlue));
    EXPECT_TRUE(ColorNear(At(300, 330), kWindow));    // vector drawing after the image keeps the clip
    EXPECT_TRUE(ColorNear(At(220, 370), {255, 14 / 2 + 128, 16 / 2 + 128, 22 / 2 + 128}, 3));
    EXPECT_TRUE(ColorNear(At(450, 450), kRed));       // and the next control is not clipped
}

TEST_P(DrawingAtScale, TrianglesLinesAndCubicPathsFill) {
    ui.AttachControl(new LambdaControl(IRECT(0, 0, 760, 560), [](Canvas& g, const IRECT&) {
        g.FillTriangle(kRed, 100, 100, 100, 200, 200, 150);
        g.DrawLine(kWhite, 300, 100, 300, 200, 4.0f);
        // A heart: two cubic segments from the bottom tip.
        const float hx = 500, hy = 150, k = 8;
        g.PathMoveTo(hx, hy + 5.32f * k);
        g.PathCubicBezierTo(hx - 7.56f * k, hy - 0.84f * k, hx - 3.08f * k, hy - 6.16f * k, hx, hy - 1.96f * k);
        g.PathCubicBezierTo(hx + 3.08f * k, hy - 6.16f * k, hx + 7.56f * k, hy - 0.84f * k, hx, hy + 5.32f * k);
        g.PathClose();
        g.PathFill(kBlue);
    }));
    Render();
    EXPECT_TRUE(ColorNear(At(130, 150), kRed));
    EXPECT_TRUE(ColorNear(At(190, 110), kWindow));  // outside the slanted edge
    EXPECT_TRUE(ColorNear(At(300, 150), kWhite));
    EXPECT_TRUE(ColorNear(At(304, 150), kWindow));
    EXPECT_TRUE(ColorNear(At(500, 160), kBlue));    // body of the heart
    EXPECT_TRUE(ColorNear(At(485, 135), kBlue));    // left lobe
    EXPECT_TRUE(ColorNear(At(500, 125), kWindow));  // the notch between the lobes
}

INSTANTIATE_TEST_SUITE_P(Scales, DrawingAtScale, ::testing::Values(1.0f, 2.0f));

// Text probes: count text-coloured pixels inside and outside the text's rectangle.
struct TextPixels {
    int inside = 0;
    int outside = 0;
    int minX = 1 << 30;
    int maxX = -1;
};

TextPixels RenderText(const std::string& text, const IText& style, float scale, const IRECT& box = {200, 200, 560, 300}) {
    IGraphics ui(nullptr, 760, 560, 60, scale);
    ui.AttachPanelBackground(COLOR_BLACK);
    ui.AttachControl(new ITextControl(box, text, style));
    OffscreenRenderer renderer;
    EXPECT_TRUE(renderer.Render(ui));
    TextPixels p;
    for (int y = 0; y < renderer.Height(); ++y) {
        for (int x = 0; x < renderer.Width(); ++x) {
            if (renderer.PixelAt(x, y).G < 128) continue;
            if (box.GetScaled(scale).Contains(static_cast<float>(x), static_cast<float>(y))) {
                ++p.inside;
                p.minX = std::min(p.minX, x);
                p.maxX = std::max(p.maxX, x);
            } else {
                ++p.outside;
            }
        }
    }
    return p;
}

TEST(TextDrawing, EmbeddedFontDrawsGlyphsInsideTheirRectangleAndScalesWithTheCanvas) {
    const IText style(40, kWhite, "Roboto-Regular", EAlign::Center, EVAlign::Middle);
    const TextPixels one = RenderText("Halcyra", style, 1.0f);
    const TextPixels two = RenderText("Halcyra", style, 2.0f);
    EXPECT_GT(one.inside, 300);
    EXPECT_EQ(one.outside, 0);
    EXPECT_EQ(two.outside, 0);
    // Four times the area, within the slack of anti-aliased edges.
    const double ratio = static_cast<double>(two.inside) / one.inside;
    EXPECT_GT(ratio, 3.2);
    EXPECT_LT(ratio, 4.8);
}

TEST(TextDrawing, FontsDifferUnknownIdsFallBackToRobotoAndMissingGlyphsToTheWideFaces) {
    const IText roboto(40, kWhite, "Roboto-Regular");
    const TextPixels r = RenderText("Weather", roboto, 1.0f);
    const TextPixels u = RenderText("Weather", IText(40, kWhite, "Unbounded"), 1.0f);
    const TextPixels fallback = RenderText("Weather", IText(40, kWhite, "No Such Font"), 1.0f);
    EXPECT_GT(u.inside, 300);
    // Unbounded is a much wider face than Roboto.
    EXPECT_GT(u.maxX - u.minX, (r.maxX - r.minX) * 1.15);
    EXPECT_EQ(fallback.inside, r.inside);
    EXPECT_EQ(fallback.minX, r.minX);

    // Characters Roboto lacks come from the wide-coverage faces, not boxes: a cloud,
    // Armenian and Hebrew letters from DejaVu Sans, "rain" in Chinese from Droid.
    for (const auto& [text, face] : {std::pair{"\u2601", "DejaVuSans"}, std::pair{"\u0531\u05d0", "DejaVuSans"},
                                     std::pair{"\u96e8", "DroidSansFallback"}}) {
        const TextPixels wide = RenderText(text, IText(40, kWhite, face), 1.0f);
        const TextPixels viaRoboto = RenderText(text, roboto, 1.0f);
        EXPECT_GT(wide.inside, 200) << text;
        EXPECT_EQ(viaRoboto.inside, wide.inside) << text;
    }
}

TEST(TextDrawing, HorizontalAlignmentPlacesTextAtTheNearAndFarEdges) {
    const IRECT box{200, 200, 560, 300};
    const TextPixels nearText = RenderText("Sky", IText(30, kWhite, "Roboto-Regular", EAlign::Near), 1.0f, box);
    const TextPixels farText = RenderText("Sky", IText(30, kWhite, "Roboto-Regular", EAlign::Far), 1.0f, box);
    EXPECT_LT(nearText.minX, 200 + 6);
    EXPECT_GT(farText.maxX, 560 - 6);
    EXPECT_GT(farText.minX, 400);
}

TEST(TextDrawing, MeasuredWidthGrowsWithTextAndSize) {
    float narrow = 0, wide = 0, wideBig = 0, empty = -1;
    IGraphics ui(nullptr);
    ui.AttachControl(new LambdaControl(IRECT(0, 0, 10, 10), [&](Canvas& g, const IRECT&) {
        narrow = g.MeasureText(IText(14, kWhite), "iii");
        wide = g.MeasureText(IText(14, kWhite), "WWW");
        wideBig = g.MeasureText(IText(28, kWhite), "WWW");
        empty = g.MeasureText(IText(14, kWhite), "");
    }));
    OffscreenRenderer renderer;
    ASSERT_TRUE(renderer.Render(ui));
    EXPECT_GT(narrow, 0.0f);
    EXPECT_GT(wide, 2.0f * narrow);
    EXPECT_NEAR(wideBig, 2.0f * wide, 0.1f * wide);
    EXPECT_EQ(empty, 0.0f);
}

TEST(FontLoading, UnreadableOrNonFontFilesAreRefusedAndKnownResourcesAccepted) {
    IGraphics ui(nullptr);
    EXPECT_TRUE(ui.LoadFont("Roboto-Regular", "Roboto-Regular.ttf"));
    EXPECT_TRUE(ui.LoadFont("Title", "Unbounded.ttf"));
    EXPECT_TRUE(ui.Fonts().Has("Title"));
    EXPECT_FALSE(ui.LoadFont("Missing", "/nonexistent/dir/font.ttf"));
    EXPECT_FALSE(ui.LoadFont("NotAFont", "/etc/hostname"));
    EXPECT_FALSE(ui.Fonts().Has("Missing"));
    EXPECT_FALSE(ui.Fonts().Has("NotAFont"));
}

TEST(PngOutput, WritesAReadablePngOfThePicture) {
    IGraphics ui(nullptr, 760, 560, 60, 0.5f);
    ui.AttachPanelBackground(kRed);
    const std::string path = ::testing::TempDir() + "halcyra_graphics_test.png";
    ASSERT_TRUE(RenderToPng(ui, path.c_str()));
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char header[8] = {};
    EXPECT_EQ(std::fread(header, 1, 8, f), 8u);
    std::fclose(f);
    std::remove(path.c_str());
    EXPECT_EQ(header[1], 'P');
    EXPECT_EQ(header[2], 'N');
    EXPECT_EQ(header[3], 'G');
    EXPECT_FALSE(RenderToPng(ui, "/nonexistent/dir/picture.png"));
}

}  // namespace
}  // namespace halcyra::test
