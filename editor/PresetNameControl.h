// The name of what is loaded, in the middle of the header: a user preset loaded or
// saved in this editor, else the factory preset "Preset" points at; a trailing "*"
// once the sound differs from it. A click opens the preset panel.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class PresetSelection;

class PresetNameControl : public IControl {
public:
    PresetNameControl(const IRECT& bounds, std::shared_ptr<const PresetSelection> selection, const IColor& text,
                      std::function<void()> onClick);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;
    // Any parameter may make the sound differ from the preset: look once a frame.
    void OnFrame(double dt) override;

    // The text as it should read now, before any shortening to the rectangle.
    std::string ShownText() const;

private:
    std::shared_ptr<const PresetSelection> mSelection;
    IColor mText;
    std::function<void()> mOnClick;
    std::string mDrawnText;
};

}  // namespace halcyra
