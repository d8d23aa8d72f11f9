#include "editor/PresetNameControl.h"

#include "editor/EditorContext.h"
#include "graphics/Canvas.h"
#include "plugin/Parameters.h"
#include "presets/FactoryPresets.h"

namespace halcyra {

PresetNameControl::PresetNameControl(const IRECT& bounds, EditorContext& ctx, const IColor& text,
                                     std::function<void()> onClick)
    : IControl(bounds, kPreset), mCtx(ctx), mText(text), mOnClick(std::move(onClick)) {}

void PresetNameControl::Draw(Canvas& g) {
    g.DrawText(IText(15.0f, mText, "Roboto-Regular", EAlign::Center, EVAlign::Middle),
               currentFactoryPresetName(mCtx.parameterEditor()), mRECT);
}

void PresetNameControl::OnMouseDown(float, float, const IMouseMod&) {
    if (mOnClick) mOnClick();
}

}  // namespace halcyra
