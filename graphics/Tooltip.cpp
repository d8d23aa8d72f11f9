#include "graphics/Tooltip.h"

#include <algorithm>

#include "graphics/Canvas.h"
#include "graphics/IControl.h"

namespace halcyra {

namespace {
const IText kTooltipText{12.0f, IColor(255, 206, 214, 226), kDefaultFontId, EAlign::Center, EVAlign::Middle};
constexpr IColor kTooltipFill{235, 28, 32, 44};
constexpr IColor kTooltipOutline{160, 120, 132, 150};
}  // namespace

void Tooltip::Hover(const IControl* control, float x, float y) {
    if (!mEnabled) return;
    if (control != mControl) {
        mControl = control;
        mText = control != nullptr ? control->GetTooltip() : std::string();
        mHoverTime = 0.0;
        mShowing = false;
    }
    if (!mShowing) {
        mX = x;
        mY = y;
    }
}

void Tooltip::Reset() {
    mControl = nullptr;
    mText.clear();
    mHoverTime = 0.0;
    mShowing = false;
}

bool Tooltip::Advance(double dt) {
    if (!mEnabled || mControl == nullptr || mText.empty() || mShowing) return false;
    mHoverTime += dt;
    if (mHoverTime < kDelaySeconds) return false;
    mShowing = true;
    return true;
}

IRECT Tooltip::BoxFor(float textWidth, float canvasW, float canvasH) const {
    const float w = textWidth + 16.0f;
    const float h = kTooltipText.size + 10.0f;
    float left = mX + 10.0f;
    float top = mY + 18.0f;
    constexpr float kMargin = 4.0f;
    if (left + w > canvasW - kMargin) left = canvasW - kMargin - w;
    if (top + h > canvasH - kMargin) top = mY - 8.0f - h;
    left = std::max(0.0f, left);
    top = std::max(0.0f, top);
    return {left, top, left + w, top + h};
}

void Tooltip::Draw(Canvas& g, float canvasW, float canvasH) const {
    if (!mShowing) return;
    const IRECT box = BoxFor(g.MeasureText(kTooltipText, mText), canvasW, canvasH);
    g.FillRoundRect(kTooltipFill, box, 4.0f);
    g.DrawRoundRect(kTooltipOutline, box, 4.0f, 1.0f);
    g.DrawText(kTooltipText, mText, box);
}

}  // namespace halcyra
