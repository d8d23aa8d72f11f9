// How a piece of text is drawn: font id, size in logical units, colour and alignment.
#pragma once

#include <string>

#include "graphics/IColor.h"

namespace halcyra {

enum class EAlign { Near, Center, Far };
enum class EVAlign { Top, Middle, Bottom };

inline constexpr const char* kDefaultFontId = "Roboto-Regular";

struct IText {
    float size = 14.0f;
    IColor fgColor = COLOR_BLACK;
    std::string font = kDefaultFontId;
    EAlign align = EAlign::Center;
    EVAlign valign = EVAlign::Middle;

    IText() = default;
    IText(float sz, const IColor& color, std::string fontId = kDefaultFontId, EAlign a = EAlign::Center,
          EVAlign va = EVAlign::Middle)
        : size(sz), fgColor(color), font(std::move(fontId)), align(a), valign(va) {}

    IText WithColor(const IColor& c) const { IText t = *this; t.fgColor = c; return t; }
    IText WithSize(float s) const { IText t = *this; t.size = s; return t; }
    IText WithAlign(EAlign a, EVAlign va) const { IText t = *this; t.align = a; t.valign = va; return t; }
};

}  // namespace halcyra
