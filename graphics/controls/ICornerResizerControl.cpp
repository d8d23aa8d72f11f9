#include "graphics/controls/ICornerResizerControl.h"

#include "graphics/Canvas.h"
#include "graphics/IGraphics.h"

namespace halcyra {

namespace {
constexpr IColor kGripColor{110, 200, 200, 200};
constexpr IColor kGripActiveColor{170, 230, 230, 230};
}  // namespace

ICornerResizerControl::ICornerResizerControl(const IRECT& canvasBounds, float size)
    : IControl(canvasBounds.GetFromRight(size).GetFromBottom(size)), mSize(size) {}

void ICornerResizerControl::Draw(Canvas& g) {
    // Only a hint while hovered or dragged; the editor draws its own grip.
    if (!mMouseIsOver && !mDragging) return;
    const IColor c = mDragging ? kGripActiveColor : kGripColor;
    g.FillTriangle(c.WithAlpha(c.A / 3), mRECT.R, mRECT.T, mRECT.R, mRECT.B, mRECT.L, mRECT.B);
}

void ICornerResizerControl::OnAttached() {
    if (GetUI() != nullptr) mInitialScale = GetUI()->GetDrawScale();
}

void ICornerResizerControl::OnMouseDown(float x, float y, const IMouseMod&) {
    IGraphics* ui = GetUI();
    if (ui == nullptr) return;
    const float s = ui->GetDrawScale();
    mDragging = true;
    mOffsetX = ui->Width() * s - x * s;
    mOffsetY = ui->Height() * s - y * s;
    SetDirty();
}

void ICornerResizerControl::OnMouseDrag(float x, float y, float, float, const IMouseMod&) {
    IGraphics* ui = GetUI();
    if (ui == nullptr || !mDragging) return;
    // x and y arrive in logical units of the current scale; the pointer itself is
    // where the window's pixels are, so work in pixels.
    const float s = ui->GetDrawScale();
    const float wantedW = x * s + mOffsetX;
    const float wantedH = y * s + mOffsetY;
    const float next = 0.5f * (wantedW / ui->Width() + wantedH / ui->Height());
    ui->SetScale(next);
}

void ICornerResizerControl::OnMouseUp(float, float, const IMouseMod&) {
    mDragging = false;
    SetDirty();
}

void ICornerResizerControl::OnMouseDblClick(float, float, const IMouseMod&) {
    IGraphics* ui = GetUI();
    if (ui != nullptr && mInitialScale > 0.0f) ui->SetScale(mInitialScale);
}

}  // namespace halcyra
