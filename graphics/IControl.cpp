#include "graphics/IControl.h"

#include <algorithm>
#include <cmath>

#include "graphics/IEditorDelegate.h"
#include "graphics/IGraphics.h"

namespace halcyra {

IControl::IControl(const IRECT& bounds, int paramIdx) : mRECT(bounds), mTargetRECT(bounds), mParamIdx(paramIdx) {}

void IControl::OnMouseDown(float, float, const IMouseMod&) {}
void IControl::OnMouseUp(float, float, const IMouseMod&) {}
void IControl::OnMouseDrag(float, float, float, float, const IMouseMod&) {}
void IControl::OnMouseWheel(float, float, const IMouseMod&, float) {}

void IControl::OnMouseOver(float, float, const IMouseMod&) {
    if (!mMouseIsOver) {
        mMouseIsOver = true;
        SetDirty();
    }
}

void IControl::OnMouseOut() {
    if (mMouseIsOver) {
        mMouseIsOver = false;
        SetDirty();
    }
}

void IControl::OnFrame(double dt) {
    if (mFrameFunction) mFrameFunction(*this, dt);
}

void IControl::SetValue(double normalized) {
    // NaN from a broken delegate must not poison drawing maths.
    const double v = std::isfinite(normalized) ? std::clamp(normalized, 0.0, 1.0) : mValue;
    if (v != mValue) {
        mValue = v;
        SetDirty();
    }
}

void IControl::SetValueFromUserInput(double normalized) {
    SetValue(normalized);
    SetDirty();
    if (mGraphics != nullptr) mGraphics->OnControlValueFromUser(*this);
}

double IControl::GetDefaultValue() const {
    if (mParamIdx != kNoParameter && mGraphics != nullptr && mGraphics->GetDelegate() != nullptr) {
        const double d = mGraphics->GetDelegate()->GetParamDefaultNormalized(mParamIdx);
        if (std::isfinite(d)) return std::clamp(d, 0.0, 1.0);
    }
    return mDefaultValue;
}

void IControl::SetRECT(const IRECT& r) {
    if (mGraphics != nullptr) mGraphics->InvalidateRect(GetDrawRECT());
    mRECT = r;
    mTargetRECT = r;
    SetDirty();
}

void IControl::Hide(bool hide) {
    if (hide != mHide) {
        mHide = hide;
        if (hide) mMouseIsOver = false;
        SetDirty();
        // Hidden, it leaves its area to whatever lies beneath.
        if (mGraphics != nullptr) mGraphics->InvalidateRect(GetDrawRECT());
    }
}

}  // namespace halcyra
