#include "frame-lv2/Lv2Layout.h"

#include <cctype>

namespace halcyra::lv2 {
namespace {

std::string lowerWithSeparator(std::string_view text, char separator) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out += std::isalnum(u) ? static_cast<char>(std::tolower(u)) : separator;
    }
    return out;
}

}  // namespace

std::string portSymbol(int paramIndex) { return lowerWithSeparator(paramInfo(paramIndex).name, '_'); }

std::string presetFragment(std::string_view presetName) { return lowerWithSeparator(presetName, '-'); }

}  // namespace halcyra::lv2
