// The look shared by the vector widgets (knobs): which parts are drawn, the colour
// set, the share of the rectangle the widget takes and the label/value text styles.
#pragma once

#include <array>

#include "graphics/IColor.h"
#include "graphics/IText.h"

namespace halcyra {

enum EVColor {
    kBG,  // background behind the widget
    kFG,  // face
    kPR,  // face while pressed
    kFR,  // frame: outline and pointer
    kHL,  // hover highlight
    kSH,  // shadow
    kX1,  // first extra colour: the value arc
    kX2,  // second extra colour: the track under the value arc (when drawn)
    kX3,
    kNumVColors
};

struct IVColorSpec {
    std::array<IColor, kNumVColors> colors{{
        COLOR_TRANSPARENT,           // kBG
        IColor(255, 200, 200, 200),  // kFG
        IColor(255, 240, 240, 240),  // kPR
        IColor(255, 70, 70, 70),     // kFR
        IColor(40, 255, 255, 255),   // kHL
        IColor(60, 0, 0, 0),         // kSH
        IColor(255, 255, 127, 0),    // kX1
        IColor(255, 0, 127, 255),    // kX2
        IColor(255, 0, 255, 127),    // kX3
    }};

    const IColor& Get(EVColor c) const { return colors[static_cast<std::size_t>(c)]; }
    void Set(EVColor c, const IColor& value) { colors[static_cast<std::size_t>(c)] = value; }
};

struct IVStyle {
    bool showLabel = true;
    bool showValue = true;
    bool drawFrame = true;
    bool drawShadows = true;
    bool drawTrack = false;  // the whole sweep in kX2 under the value arc
    IVColorSpec colorSpec;
    IText labelText{14.0f, COLOR_BLACK, kDefaultFontId, EAlign::Center, EVAlign::Top};
    IText valueText{14.0f, COLOR_BLACK, kDefaultFontId, EAlign::Center, EVAlign::Bottom};
    float frameThickness = 1.0f;
    float shadowOffset = 3.0f;
    float widgetFrac = 1.0f;

    IVStyle WithShowLabel(bool v) const { IVStyle s = *this; s.showLabel = v; return s; }
    IVStyle WithShowValue(bool v) const { IVStyle s = *this; s.showValue = v; return s; }
    IVStyle WithDrawFrame(bool v) const { IVStyle s = *this; s.drawFrame = v; return s; }
    IVStyle WithDrawShadows(bool v) const { IVStyle s = *this; s.drawShadows = v; return s; }
    IVStyle WithDrawTrack(bool v) const { IVStyle s = *this; s.drawTrack = v; return s; }
    IVStyle WithColor(EVColor c, const IColor& color) const { IVStyle s = *this; s.colorSpec.Set(c, color); return s; }
    IVStyle WithWidgetFrac(float v) const { IVStyle s = *this; s.widgetFrac = v; return s; }
    IVStyle WithLabelText(const IText& t) const { IVStyle s = *this; s.labelText = t; return s; }
    IVStyle WithValueText(const IText& t) const { IVStyle s = *this; s.valueText = t; return s; }
    IVStyle WithFrameThickness(float v) const { IVStyle s = *this; s.frameThickness = v; return s; }
};

inline const IVStyle DEFAULT_STYLE{};

}  // namespace halcyra
