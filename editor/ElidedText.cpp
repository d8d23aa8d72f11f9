#include "editor/ElidedText.h"

#include "graphics/Canvas.h"
#include "graphics/Utf8.h"

namespace halcyra {

namespace {
constexpr std::string_view kEllipsis = "\u2026";
}

std::string ElideToWidth(Canvas& g, const IText& style, std::string_view text, float width) {
    if (g.MeasureText(style, text) <= width) return std::string(text);
    const float room = width - g.MeasureText(style, kEllipsis);
    // Longest prefix that fits, halving over byte offsets snapped to characters:
    // `fits` always fits, `tooLong` never does.
    std::size_t fits = 0, tooLong = text.size();
    while (tooLong - fits > 1) {
        std::size_t mid = utf8::PreviousBoundary(text, (fits + tooLong) / 2 + 1);
        if (mid <= fits) mid = utf8::NextBoundary(text, fits);
        if (mid >= tooLong) break;
        if (g.MeasureText(style, text.substr(0, mid)) <= room) fits = mid;
        else tooLong = mid;
    }
    std::string out(text.substr(0, fits));
    out += kEllipsis;
    return out;
}

}  // namespace halcyra
