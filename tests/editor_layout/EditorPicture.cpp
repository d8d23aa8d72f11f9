// Renders the editor once, as a host would first show it, to a PNG for looking at:
//   halcyra-editor-picture [out.png] [scale] [touched]
// With "touched", the extra-controls panel is folded out, a knob is held down and the
// meter hovered, to look at the readouts.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FakeEditorContext.h"
#include "editor/EditorLayout.h"
#include "editor/controls/OutputMeterControl.h"
#include "graphics/IGraphics.h"
#include "graphics/offscreen/OffscreenRenderer.h"
#include "plugin/Parameters.h"

int main(int argc, char** argv) {
    using namespace halcyra;
    const char* out = argc > 1 ? argv[1] : "/tmp/editor.png";
    const float scale = argc > 2 ? static_cast<float>(std::atof(argv[2])) : 1.2f;

    test::FakeEditorContext ctx;
    ctx.store.set(kResponse, 750);
    ctx.store.set(kRate, 0.45);
    ctx.store.set(kLevel, 0.6);
    ctx.store.set(kCharacter, 0.3);
    ctx.store.set(kMix, 35);
    IGraphics ui(&ctx, 760, 560, 60, scale);
    BuildEditorLayout(ui, ctx);
    ctx.graphics = &ui;
    // A second of animation so the idle sky has moved on from its first frame.
    for (int i = 0; i < 60; ++i) ui.OnFrame(1.0 / 60.0);
    if (auto* meter = dynamic_cast<OutputMeterControl*>(ui.GetControlWithTag(20)))
        meter->SetMeterValues(0.5f, 0.35f, 0.2f, 0.12f);

    if (argc > 3 && std::string(argv[3]) == "touched") {
        const IRECT fold = ui.GetControlWithTag(36)->GetRECT();
        ui.OnMouseDown(fold.MW(), fold.MH(), IMouseMod(true));
        ui.OnMouseUp(fold.MW(), fold.MH(), IMouseMod(true));
        const IRECT decay = ui.GetControlWithTag(41)->GetRECT();
        ui.OnMouseDown(decay.MW(), decay.MH(), IMouseMod(true));
        const IRECT meter = ui.GetControlWithTag(20)->GetRECT();
        ui.GetControlWithTag(20)->OnMouseOver(meter.MW(), meter.MH(), IMouseMod(true));
        ui.GetControlWithTag(1)->OnMouseOver(0, 0, IMouseMod(true));
    }
    if (!RenderToPng(ui, out)) {
        std::fprintf(stderr, "could not render %s\n", out);
        return 1;
    }
    std::printf("%s (%d x %d)\n", out, ui.PixelWidth(), ui.PixelHeight());
    return 0;
}
