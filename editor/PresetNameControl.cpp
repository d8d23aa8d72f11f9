#include "editor/PresetNameControl.h"

#include "editor/ElidedText.h"
#include "editor/PresetSelection.h"
#include "graphics/Canvas.h"
#include "plugin/Parameters.h"

namespace halcyra {

PresetNameControl::PresetNameControl(const IRECT& bounds, std::shared_ptr<const PresetSelection> selection,
                                     const IColor& text, std::function<void()> onClick)
    : IControl(bounds, kPreset), mSelection(std::move(selection)), mText(text), mOnClick(std::move(onClick)) {}

std::string PresetNameControl::ShownText() const {
    std::string text = mSelection->ShownName();
    if (!text.empty() && mSelection->IsModified()) text += '*';
    return text;
}

void PresetNameControl::OnFrame(double dt) {
    IControl::OnFrame(dt);
    if (ShownText() != mDrawnText) SetDirty();
}

void PresetNameControl::Draw(Canvas& g) {
    mDrawnText = ShownText();
    const IText style(15.0f, mText, "Roboto-Regular", EAlign::Center, EVAlign::Middle);
    const std::string name = mSelection->ShownName();
    const bool modified = mDrawnText.size() > name.size();
    // A long name gives way before the mark does.
    std::string shown = ElideToWidth(g, style, name, mRECT.W() - (modified ? g.MeasureText(style, "*") : 0.0f));
    if (modified) shown += '*';
    g.DrawText(style, shown, mRECT);
}

void PresetNameControl::OnMouseDown(float, float, const IMouseMod&) {
    if (mOnClick) mOnClick();
}

}  // namespace halcyra
