#include "editor/controls/MixLockControl.h"

#include "graphics/Canvas.h"

namespace halcyra {

MixLockControl::MixLockControl(const IRECT& bounds, int paramIdx, const IColor& accent, const IColor& dim)
    : IControl(bounds, paramIdx), mAccent(accent), mDim(dim) {}

void MixLockControl::SetAccentColor(const IColor& accent) {
    if (accent == mAccent) return;
    mAccent = accent;
    SetDirty();
}

void MixLockControl::Draw(Canvas& g) {
    const bool locked = IsLocked();
    const IColor& colour = locked ? mAccent : mDim;
    const float c = mRECT.MW();
    const float t = mRECT.T;
    const IRECT body(c - 5.0f, t + 11.0f, c + 5.0f, t + 17.0f);

    if (locked) {
        g.FillRoundRect(colour, body, 1.6f);
    } else {
        g.DrawRoundRect(colour, body, 1.6f, 1.2f);
    }

    // An open lock lifts its shackle and frees the right leg.
    const float s = locked ? t + 9.0f : t + 7.4f;
    g.DrawArc(colour, c, s, 3.0f, -90.0f, 90.0f, 1.4f);
    g.DrawLine(colour, c - 3.0f, s, c - 3.0f, t + 11.0f, 1.4f);
    if (locked) {
        g.DrawLine(colour, c + 3.0f, s, c + 3.0f, t + 11.0f, 1.4f);
        g.FillCircle(kKeyholeColor, body.MW(), body.MH(), 1.0f);
    } else {
        g.DrawLine(colour, c + 3.0f, s, c + 3.0f, s + 2.0f, 1.4f);
    }
}

void MixLockControl::OnMouseDown(float, float, const IMouseMod&) {
    SetValueFromUserInput(IsLocked() ? 0.0 : 1.0);
}

}  // namespace halcyra
