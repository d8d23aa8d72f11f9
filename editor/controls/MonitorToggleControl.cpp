#include "editor/controls/MonitorToggleControl.h"

#include "editor/EditorColors.h"
#include "graphics/Canvas.h"

namespace halcyra {

namespace {
constexpr int kSelectedHalfAlpha = 56;
}  // namespace

MonitorToggleControl::MonitorToggleControl(const IRECT& bounds, int paramIdx, const IColor& accent,
                                           const IColor& text, const IColor& dim, const IColor& frame)
    : IControl(bounds, paramIdx), mAccent(accent), mText(text), mDim(dim), mFrame(frame) {}

void MonitorToggleControl::SetAccentColor(const IColor& accent) {
    if (accent == mAccent) return;
    mAccent = accent;
    SetDirty();
}

void MonitorToggleControl::DrawHeadphones(Canvas& g, float c, float m, const IColor& colour, float thickness) const {
    g.DrawArc(colour, c, m - 1.2f, 4.8f, -90.0f, 90.0f, thickness);
    g.FillRoundRect(colour, IRECT(c - 6.1f, m - 1.2f, c - 3.5f, m + 3.6f), 1.2f);
    g.FillRoundRect(colour, IRECT(c + 3.5f, m - 1.2f, c + 6.1f, m + 3.6f), 1.2f);
}

void MonitorToggleControl::DrawSpeaker(Canvas& g, float c, float m, const IColor& colour, float thickness) const {
    g.DrawRoundRect(colour, IRECT(c - 3.6f, m - 6.2f, c + 3.6f, m + 6.2f), 1.4f, thickness);
    g.DrawCircle(colour, c, m + 2.0f, 2.6f, thickness);
    g.FillCircle(colour, c, m + 2.0f, 0.9f);
    g.DrawCircle(colour, c, m - 3.4f, 1.2f, thickness);
}

void MonitorToggleControl::Draw(Canvas& g) {
    g.FillRoundRect(kToggleWellColor, mRECT, 5.0f);

    const float midX = mRECT.MW();
    const IRECT halves[2] = {IRECT(mRECT.L, mRECT.T, midX, mRECT.B), IRECT(midX, mRECT.T, mRECT.R, mRECT.B)};
    const bool speakers = SpeakersSelected();
    for (int i = 0; i < 2; ++i) {
        const bool selected = (i == 1) == speakers;
        const IRECT& half = halves[i];
        if (selected) g.FillRoundRect(mAccent.WithAlpha(kSelectedHalfAlpha), half.GetInset(1.5f), 3.0f);
        const IColor& colour = selected ? mText : mDim;
        const float thickness = selected ? 1.4f : 1.1f;
        if (i == 0) {
            DrawHeadphones(g, half.MW(), half.MH(), colour, thickness);
        } else {
            DrawSpeaker(g, half.MW(), half.MH(), colour, thickness);
        }
    }

    g.DrawRoundRect(mFrame, mRECT, 5.0f, 1.0f);
    g.DrawLine(mFrame, midX, mRECT.T + 3.0f, midX, mRECT.B - 3.0f, 1.0f);
}

void MonitorToggleControl::OnMouseDown(float x, float, const IMouseMod&) {
    SetValueFromUserInput(x > mRECT.MW() ? 1.0 : 0.0);
}

}  // namespace halcyra
