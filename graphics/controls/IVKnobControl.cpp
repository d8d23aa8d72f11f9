#include "graphics/controls/IVKnobControl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphics/Canvas.h"

namespace halcyra {

namespace {

float StripHeight(const IText& text) { return text.size + 4.0f; }

void PolarPoint(float cx, float cy, float r, float degrees, float& x, float& y) {
    const float rad = degrees * static_cast<float>(M_PI) / 180.0f;
    x = cx + r * std::sin(rad);
    y = cy - r * std::cos(rad);
}

}  // namespace

IVKnobControl::IVKnobControl(const IRECT& bounds, int paramIdx, std::string label, const IVStyle& style,
                             bool /*valueIsEditable: typing a value is not offered*/, bool valueInWidget, float a1,
                             float a2, float aAnchor, EDirection direction, double gearing, float trackSize)
    : IControl(bounds, paramIdx),
      mLabel(std::move(label)),
      mStyle(style),
      mValueInWidget(valueInWidget),
      mAngle1(a1),
      mAngle2(a2),
      mAnchorAngle(aAnchor),
      mDirection(direction),
      mGearing(gearing > 0.0 && std::isfinite(gearing) ? gearing : 1.0),
      mTrackSize(trackSize) {}

IRECT IVKnobControl::GetLabelBounds() const {
    if (!mStyle.showLabel || mLabel.empty()) return {};
    const float h = StripHeight(mStyle.labelText);
    return mStyle.labelText.valign == EVAlign::Top ? mRECT.GetFromTop(h) : mRECT.GetFromBottom(h);
}

IRECT IVKnobControl::GetValueBounds() const {
    if (!mStyle.showValue) return {};
    if (mValueInWidget) return GetWidgetBounds();
    const float h = StripHeight(mStyle.valueText);
    // The value sits on the side the label does not use.
    const bool labelOnTop = mStyle.labelText.valign == EVAlign::Top;
    return labelOnTop ? mRECT.GetFromBottom(h) : mRECT.GetFromTop(h);
}

IRECT IVKnobControl::GetWidgetBounds() const {
    IRECT area = mRECT;
    const bool labelOnTop = mStyle.labelText.valign == EVAlign::Top;
    const IRECT label = GetLabelBounds();
    if (!label.Empty()) area = labelOnTop ? area.GetReducedFromTop(label.H()) : area.GetReducedFromBottom(label.H());
    if (mStyle.showValue && !mValueInWidget) {
        const float h = StripHeight(mStyle.valueText);
        area = labelOnTop ? area.GetReducedFromBottom(h) : area.GetReducedFromTop(h);
    }
    const float side = std::min(area.W(), area.H()) * std::clamp(mStyle.widgetFrac, 0.0f, 1.0f);
    return area.GetCentredInside(side, side);
}

std::string IVKnobControl::GetValueText() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", GetValue());
    return buf;
}

std::string IVKnobControl::GetCaptionText() const {
    return mReadout && (mPressed || mMouseIsOver) ? mReadout(GetValue()) : mLabel;
}

void IVKnobControl::Draw(Canvas& g) {
    const IColor& bg = mStyle.colorSpec.Get(kBG);
    if (bg.A > 0) g.FillRect(bg, mRECT);
    DrawWidget(g);
    const IRECT label = GetLabelBounds();
    if (!label.Empty()) g.DrawText(mStyle.labelText, GetCaptionText(), label);
    if (mStyle.showValue) g.DrawText(mStyle.valueText, GetValueText(), GetValueBounds());
}

void IVKnobControl::DrawWidget(Canvas& g) {
    const IRECT w = GetWidgetBounds();
    const float cx = w.MW();
    const float cy = w.MH();
    const float outer = 0.5f * w.W();
    if (outer <= 0.0f) return;
    const float arcRadius = outer - 0.5f * mTrackSize;
    const float faceRadius = std::max(1.0f, outer - mTrackSize - 4.0f);
    const IVColorSpec& c = mStyle.colorSpec;

    if (mStyle.drawShadows) {
        g.FillCircle(c.Get(kSH), cx + mStyle.shadowOffset, cy + mStyle.shadowOffset, faceRadius);
    }
    g.FillCircle(mPressed ? c.Get(kPR) : c.Get(kFG), cx, cy, faceRadius);
    if (mMouseIsOver && !mPressed) g.FillCircle(c.Get(kHL), cx, cy, faceRadius);
    if (mStyle.drawFrame) g.DrawCircle(c.Get(kFR), cx, cy, faceRadius, mStyle.frameThickness);

    const float valueAngle = ValueToAngle(GetValue());
    // The track shows where the sweep runs even when the value arc is empty.
    if (mStyle.drawTrack) {
        g.DrawArc(c.Get(kX2), cx, cy, arcRadius, std::min(mAngle1, mAngle2), std::max(mAngle1, mAngle2), mTrackSize);
    }
    if (std::fabs(valueAngle - mAnchorAngle) > 0.01f) {
        g.DrawArc(c.Get(kX1), cx, cy, arcRadius, std::min(mAnchorAngle, valueAngle), std::max(mAnchorAngle, valueAngle),
                  mTrackSize);
    }

    float x1, y1, x2, y2;
    PolarPoint(cx, cy, faceRadius * mPointerStart, valueAngle, x1, y1);
    PolarPoint(cx, cy, faceRadius * 0.9f, valueAngle, x2, y2);
    g.DrawLine(c.Get(kFR), x1, y1, x2, y2, mTrackSize);
}

void IVKnobControl::OnMouseDown(float, float, const IMouseMod&) {
    mPressed = true;
    mDragValue = GetValue();
    SetDirty();
}

void IVKnobControl::OnMouseUp(float, float, const IMouseMod&) {
    mPressed = false;
    SetDirty();
}

void IVKnobControl::OnMouseDrag(float, float, float dX, float dY, const IMouseMod& mod) {
    // Up and right increase the value.
    const double travel = mDirection == EDirection::Vertical ? -dY : dX;
    const double unitsForFullRange = kDragUnitsPerGearing * mGearing * (mod.S ? kFineFactor : 1.0);
    if (!std::isfinite(travel) || travel == 0.0) return;
    mDragValue = std::clamp(mDragValue + travel / unitsForFullRange, 0.0, 1.0);
    SetValueFromUserInput(mDragValue);
}

void IVKnobControl::OnMouseDblClick(float, float, const IMouseMod&) {
    mPressed = true;
    SetValueFromUserInput(GetDefaultValue());
    mDragValue = GetValue();
}

void IVKnobControl::OnMouseWheel(float, float, const IMouseMod& mod, float delta) {
    const double step = mWheelStep * (mod.S ? 1.0 / kFineFactor : 1.0);
    SetValueFromUserInput(std::clamp(GetValue() + step * delta, 0.0, 1.0));
}

}  // namespace halcyra
