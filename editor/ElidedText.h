// Text that must stay inside a width (preset names in rows and in the header): cut at
// a character boundary and ended with "…" when it would run over.
#pragma once

#include <string>
#include <string_view>

#include "graphics/IText.h"

namespace halcyra {

class Canvas;

std::string ElideToWidth(Canvas& g, const IText& style, std::string_view text, float width);

}  // namespace halcyra
