#include "editor/BurgerMenuControl.h"

#include <string>

#include "editor/EditorColors.h"
#include "editor/EditorContext.h"
#include "editor/Website.h"
#include "graphics/Canvas.h"

namespace halcyra {

namespace {

constexpr float kMenuRadius = 8.0f;
constexpr float kAboutRadius = 12.0f;
constexpr float kAboutInset = 26.0f;
constexpr int kOutlineAlpha = 89;

}  // namespace

BurgerMenuControl::BurgerMenuControl(const IRECT& bounds, EditorContext& ctx)
    : IControl(bounds),
      mCtx(ctx),
      mPanel(kPanelColor),
      mText(kTextColor),
      mDim(kDimColor),
      mAccent(kAccentInitialColor) {
    Hide(true);  // an overlay: only shown on request
}

void BurgerMenuControl::ShowMenu() {
    mAbout = false;
    Hide(false);
    SetDirty();
}

void BurgerMenuControl::Close() {
    Hide(true);
    SetDirty();
}

IRECT BurgerMenuControl::MenuRect() const {
    return {mRECT.L + 12.0f, mRECT.T + 44.0f, mRECT.L + 200.0f, mRECT.T + 154.0f};
}

IRECT BurgerMenuControl::EntryRect(int entry) const {
    const IRECT m = MenuRect();
    const float h = m.H() / kEntryCount;
    return {m.L, m.T + entry * h, m.R, m.T + (entry + 1) * h};
}

IRECT BurgerMenuControl::AboutBoxRect() const {
    const float cx = mRECT.MW();
    const float cy = mRECT.MH();
    return {cx - 270.0f, cy - 120.0f, cx + 270.0f, cy + 120.0f};
}

std::array<float, BurgerMenuControl::kAboutBody.size()> BurgerMenuControl::AboutBodyOffsets() {
    std::array<float, kAboutBody.size()> offsets{};
    float offset = kAboutBodyTop;
    for (std::size_t i = 0; i < kAboutBody.size(); ++i) {
        offsets[i] = offset;
        offset += kAboutBody[i].gap ? kAboutGap : kAboutLineStep;
    }
    return offsets;
}

void BurgerMenuControl::Draw(Canvas& g) {
    if (mAbout) {
        DrawAbout(g);
    } else {
        DrawMenu(g);
    }
}

void BurgerMenuControl::DrawMenu(Canvas& g) {
    const IRECT m = MenuRect();
    g.FillRoundRect(mPanel, m, kMenuRadius);
    g.DrawRoundRect(mAccent.WithAlpha(kOutlineAlpha), m, kMenuRadius, 1.0f);
    const IText style(13.0f, mText, "Roboto-Regular", EAlign::Near, EVAlign::Middle);
    for (int k = 0; k < kEntryCount; ++k) {
        const IRECT row = EntryRect(k);
        g.DrawText(style, kEntries[static_cast<std::size_t>(k)], IRECT(row.L + 14.0f, row.T, row.R - 14.0f, row.B));
    }
}

void BurgerMenuControl::DrawAbout(Canvas& g) {
    g.FillRect(kBackdropColor, mRECT);
    const IRECT box = AboutBoxRect();
    g.FillRoundRect(mPanel, box, kAboutRadius);
    g.DrawRoundRect(mAccent.WithAlpha(kOutlineAlpha), box, kAboutRadius, 1.0f);

    const IRECT c = box.GetInset(kAboutInset);
    g.DrawText(IText(24.0f, mText, "Unbounded", EAlign::Near, EVAlign::Top), "Halcyra", c);
    g.DrawText(IText(12.0f, mDim, "Roboto-Regular", EAlign::Near, EVAlign::Top), "a binaural weather reverb",
               c.GetTranslated(0.0f, 34.0f));

    const IText body(11.0f, mDim, "Roboto-Regular", EAlign::Near, EVAlign::Top);
    const auto offsets = AboutBodyOffsets();
    for (std::size_t i = 0; i < kAboutBody.size(); ++i) {
        if (!kAboutBody[i].gap) g.DrawText(body, kAboutBody[i].text, c.GetTranslated(0.0f, offsets[i]));
    }

    const IRECT footer(c.L, c.B - 16.0f, c.R, c.B);
    g.DrawText(IText(11.0f, mText, "Roboto-Regular", EAlign::Near, EVAlign::Middle), kAboutFooterLeft, footer);
    g.DrawText(IText(11.0f, mAccent, "Roboto-Regular", EAlign::Far, EVAlign::Middle), "click to close", footer);
}

void BurgerMenuControl::OpenManual() {
    const std::string manual = mCtx.resourcePath(kManualName);
    mCtx.openWithSystem(manual.empty() ? std::string(kWebsiteUrl) : manual);
}

void BurgerMenuControl::OnMouseDown(float x, float y, const IMouseMod&) {
    if (!mAbout && MenuRect().Contains(x, y)) {
        int entry = 0;
        while (entry < kEntryCount - 1 && !EntryRect(entry).Contains(x, y)) ++entry;
        switch (entry) {
            case 0:
                mAbout = true;
                SetDirty();
                return;
            case 1:
                OpenManual();
                break;
            default:
                mCtx.openWithSystem(kWebsiteUrl);
                break;
        }
    }
    Close();
}

}  // namespace halcyra
