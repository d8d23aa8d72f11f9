#include "editor/KnobStyle.h"

#include "editor/EditorColors.h"
#include "graphics/controls/IVKnobControl.h"

namespace halcyra {

IVStyle MakeKnobStyle(const IColor& accent) {
    const IText label(13.0f, kTextColor, "Roboto-Regular", EAlign::Center, EVAlign::Bottom);
    return DEFAULT_STYLE.WithShowValue(false)
        .WithShowLabel(true)
        .WithDrawFrame(false)
        .WithDrawShadows(false)
        .WithDrawTrack(true)
        .WithColor(kBG, COLOR_TRANSPARENT)
        .WithColor(kFG, kKnobBodyColor)
        .WithColor(kPR, kKnobPressedColor)
        .WithColor(kFR, kKnobFrameColor)
        .WithColor(kX1, accent)
        .WithColor(kX2, kKnobTrackColor)
        .WithWidgetFrac(0.88f)
        .WithLabelText(label);
}

void SetKnobAccent(IControl* control, const IColor& accent) {
    if (auto* knob = dynamic_cast<IVKnobControl*>(control)) knob->SetColor(kX1, accent);
}

}  // namespace halcyra
