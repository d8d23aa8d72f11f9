// Renders a sample of what the graphics layer draws (knobs, text in both fonts,
// gradients, shapes) to a PNG, to check anti-aliasing and fonts by eye.
//   halcyra-graphics-demo [OUTPUT.png] [SCALE]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/Canvas.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IVKnobControl.h"
#include "graphics/offscreen/OffscreenRenderer.h"

using namespace halcyra;

namespace {

// A few free-form drawing operations the editor's own controls rely on.
class ShapesControl : public IControl {
public:
    explicit ShapesControl(const IRECT& r) : IControl(r) {}
    void Draw(Canvas& g) override {
        const IRECT r = mRECT;
        g.FillRect(IPattern::Linear(0, r.T, 0, r.B, IColor(255, 40, 60, 110), IColor(255, 190, 120, 90)), r);
        g.FillRect(IPattern::Radial(r.MW(), r.B - 40, 0, 160, IColor(200, 255, 230, 180), IColor(0, 255, 230, 180)), r);
        g.FillCircle(IColor(180, 255, 255, 255), r.L + 60, r.T + 60, 22);
        g.DrawCircle(IColor(255, 255, 255, 255), r.L + 120, r.T + 60, 22, 2.0f);
        g.FillRoundRect(IColor(160, 20, 24, 34), IRECT(r.L + 170, r.T + 38, r.L + 260, r.T + 82), 8);
        g.DrawRoundRect(IColor(255, 154, 166, 188), IRECT(r.L + 170, r.T + 38, r.L + 260, r.T + 82), 8, 1.0f);
        g.FillTriangle(IColor(230, 240, 200, 120), r.L + 290, r.T + 40, r.L + 290, r.T + 80, r.L + 330, r.T + 60);
        g.DrawLine(IColor(255, 206, 214, 226), r.L + 350, r.T + 80, r.L + 420, r.T + 40, 2.5f);
        g.DrawArc(IColor(255, 154, 166, 188), r.L + 470, r.T + 60, 22, -135, 90, 2.0f);
        // A heart from two cubic segments.
        const float hx = r.L + 540, hy = r.T + 60, k = 3.0f;
        g.PathMoveTo(hx, hy + 5.32f * k);
        g.PathCubicBezierTo(hx - 7.56f * k, hy - 0.84f * k, hx - 3.08f * k, hy - 6.16f * k, hx, hy - 1.96f * k);
        g.PathCubicBezierTo(hx + 3.08f * k, hy - 6.16f * k, hx + 7.56f * k, hy - 0.84f * k, hx, hy + 5.32f * k);
        g.PathClose();
        g.PathFill(IColor(255, 230, 90, 120));
    }
};

}  // namespace

int main(int argc, char** argv) {
    const char* out = argc > 1 ? argv[1] : "/tmp/halcyra-graphics-demo.png";
    const float scale = argc > 2 ? static_cast<float>(std::atof(argv[2])) : 1.2f;
    IGraphics ui(nullptr, 760, 560, 60, scale);
    ui.AttachCornerResizer();
    ui.AttachPanelBackground(IColor(255, 14, 16, 22));
    ui.AttachControl(new ShapesControl(IRECT(0, 44, 760, 388)));
    ui.AttachControl(new ITextControl(IRECT(42, 0, 168, 44), "Halcyra",
                                      IText(18, IColor(255, 206, 214, 226), "Unbounded", EAlign::Near, EVAlign::Middle)));
    ui.AttachControl(new ITextControl(IRECT(103, 396, 223, 414), "SKY",
                                      IText(14, IColor(185, 150, 160, 178), "Unbounded", EAlign::Center, EVAlign::Top)));
    ui.AttachControl(new ITextControl(IRECT(200, 0, 560, 44), "Sky Opening  —  a binaural weather reverb",
                                      IText(15, IColor(255, 206, 214, 226))));
    const IVStyle style = DEFAULT_STYLE.WithShowValue(false)
                              .WithDrawFrame(false)
                              .WithDrawShadows(false)
                              .WithColor(kBG, COLOR_TRANSPARENT)
                              .WithColor(kFG, IColor(255, 40, 45, 58))
                              .WithColor(kPR, IColor(255, 54, 60, 76))
                              .WithColor(kFR, IColor(140, 120, 132, 152))
                              .WithColor(kX1, IColor(255, 154, 166, 188))
                              .WithWidgetFrac(0.88f)
                              .WithLabelText(IText(13, IColor(255, 206, 214, 226), "Roboto-Regular", EAlign::Center,
                                                   EVAlign::Bottom));
    const char* labels[] = {"SIZE", "BRIGHTNESS", "SPACING", "WIND"};
    for (int i = 0; i < 4; ++i) {
        auto* knob = new IVKnobControl(IRECT(12 + 76.0f * i, 430, 86 + 76.0f * i, 522), kNoParameter, labels[i], style);
        ui.AttachControl(knob, i + 1);
        knob->SetValue(0.15 + 0.25 * i);
    }
    // The passing states: an open text entry and a tooltip after hovering.
    auto* toggle = ui.AttachControl(new ITextControl(IRECT(698, 354, 746, 378), "H / S",
                                                     IText(11, IColor(255, 206, 214, 226))));
    toggle->SetIgnoreMouse(false);
    toggle->SetTooltip("Headphones  /  Speakers");
    ui.EnableTooltips(true);
    ui.OnMouseOver(720, 366, IMouseMod());
    ui.OnFrame(1.0);
    ui.CreateTextEntry(IRECT(222, 60, 332, 84), "My Sky", [](const std::string&) {},
                       IText(14, IColor(255, 206, 214, 226)));
    if (!RenderToPng(ui, out)) {
        std::fprintf(stderr, "halcyra-graphics-demo: could not render %s\n", out);
        return 1;
    }
    std::printf("%s (%d x %d)\n", out, ui.PixelWidth(), ui.PixelHeight());
    return 0;
}
