// The list icon at the left of the header's preset group (three dotted lines);
// a click opens the preset panel.
#pragma once

#include <functional>

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class PresetListControl : public IControl {
public:
    PresetListControl(const IRECT& bounds, const IColor& text, std::function<void()> onClick);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

private:
    IColor mText;
    std::function<void()> mOnClick;
};

}  // namespace halcyra
