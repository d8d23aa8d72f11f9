// A static piece of text (title, section captions) in its rectangle, with an
// optional background. It lets clicks through.
#pragma once

#include <string>

#include "graphics/Canvas.h"
#include "graphics/IControl.h"

namespace halcyra {

class ITextControl : public IControl {
public:
    ITextControl(const IRECT& bounds, std::string text, const IText& style, const IColor& background = COLOR_TRANSPARENT)
        : IControl(bounds), mText(std::move(text)), mStyle(style), mBackground(background) {
        SetIgnoreMouse(true);
    }

    void Draw(Canvas& g) override {
        if (mBackground.A > 0) g.FillRect(mBackground, mRECT);
        g.DrawText(mStyle, mText, mRECT);
    }

    const std::string& GetStr() const { return mText; }
    void SetStr(std::string text) {
        if (text != mText) { mText = std::move(text); SetDirty(); }
    }
    const IText& GetText() const { return mStyle; }
    void SetText(const IText& style) { mStyle = style; SetDirty(); }

private:
    std::string mText;
    IText mStyle;
    IColor mBackground;
};

}  // namespace halcyra
