#include "editor/FoldOutPanel.h"

#include "editor/EditorColors.h"
#include "graphics/Canvas.h"

namespace halcyra {

namespace {
constexpr int kOutlineAlpha = 89;
}  // namespace

FoldOutPanel::FoldOutPanel(const IRECT& bounds, const IColor& accent) : IControl(bounds), mAccent(accent) {
    Hide(true);
}

void FoldOutPanel::Draw(Canvas& g) {
    g.FillRoundRect(kPanelColor, mRECT, 8.0f);
    g.DrawRoundRect(mAccent.WithAlpha(kOutlineAlpha), mRECT, 8.0f, 1.0f);
}

void FoldOutPanel::AddMember(IControl* control) {
    mMembers.push_back(control);
    control->Hide(IsHidden());
}

void FoldOutPanel::SetOpen(bool open) {
    Hide(!open);
    for (IControl* c : mMembers) c->Hide(!open);
}

}  // namespace halcyra
