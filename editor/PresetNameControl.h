// The current factory preset's name in the middle of the header; a click opens the
// preset panel.
#pragma once

#include <functional>

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class EditorContext;

class PresetNameControl : public IControl {
public:
    PresetNameControl(const IRECT& bounds, EditorContext& ctx, const IColor& text, std::function<void()> onClick);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

private:
    EditorContext& mCtx;
    IColor mText;
    std::function<void()> mOnClick;
};

}  // namespace halcyra
