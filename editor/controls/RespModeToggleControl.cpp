#include "editor/controls/RespModeToggleControl.h"

#include "graphics/Canvas.h"
#include "graphics/IGraphics.h"

namespace halcyra {

namespace {
constexpr int kPillAlpha = 89;
}  // namespace

RespModeToggleControl::RespModeToggleControl(const IRECT& bounds, int paramIdx, const IColor& accent,
                                             const IColor& text, const IColor& dim, const IColor& frame)
    : IControl(bounds, paramIdx), mAccent(accent), mText(text), mDim(dim), mFrame(frame) {}

void RespModeToggleControl::SetAccentColor(const IColor& accent) {
    if (accent == mAccent) return;
    mAccent = accent;
    SetDirty();
}

IRECT RespModeToggleControl::PillRect() const {
    const float cx = mRECT.MW();
    const float cy = mRECT.MH();
    return {cx - 11.0f, cy - 6.0f, cx + 11.0f, cy + 6.0f};
}

void RespModeToggleControl::Draw(Canvas& g) {
    const IRECT pill = PillRect();
    const float cy = mRECT.MH();
    const bool beats = BeatsSelected();

    g.FillRoundRect(mFrame.WithAlpha(kPillAlpha), pill, 6.0f);
    g.DrawRoundRect(mFrame, pill, 6.0f, 1.0f);
    g.FillCircle(mAccent, beats ? pill.R - 6.0f : pill.L + 6.0f, cy, 4.0f);

    const IText ms(11.0f, beats ? mDim : mText, "Roboto-Regular", EAlign::Far, EVAlign::Middle);
    const IText bt(11.0f, beats ? mText : mDim, "Roboto-Regular", EAlign::Near, EVAlign::Middle);
    g.DrawText(ms, "ms", IRECT(mRECT.L, mRECT.T, pill.L - 7.0f, mRECT.B));
    g.DrawText(bt, "beats", IRECT(pill.R + 7.0f, mRECT.T, mRECT.R, mRECT.B));
}

// The Response knob writes its value in the unit this switch selects.
void RespModeToggleControl::RedrawResponseKnob() const {
    if (IGraphics* ui = GetUI()) {
        if (IControl* knob = ui->GetControlWithTag(kResponseKnobTag)) knob->SetDirty();
    }
}

void RespModeToggleControl::OnMouseDown(float x, float, const IMouseMod&) {
    SetValueFromUserInput(x > mRECT.MW() ? 1.0 : 0.0);
    RedrawResponseKnob();
}

void RespModeToggleControl::SetValueFromDelegate(double normalized) {
    const double before = GetValue();
    IControl::SetValueFromDelegate(normalized);
    if (GetValue() != before) RedrawResponseKnob();
}

}  // namespace halcyra
