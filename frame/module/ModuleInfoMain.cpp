// Writes the bundle's Contents/Resources/moduleinfo.json at build time from the same
// identity the factory reports, so hosts can list the plug-in without loading it.
// Usage: halcyra-moduleinfo OUTPUT.json
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "frame/Identity.h"
#include "pluginterfaces/base/ipluginbase.h"

namespace {

using namespace halcyra::identity;

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

// The class ID as hosts print it: the bytes of the factory's TUID in memory order.
std::string classIdHex() {
    const Steinberg::TUID id = INLINE_UID(kClassIdWords[0], kClassIdWords[1], kClassIdWords[2], kClassIdWords[3]);
    char hex[33];
    for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02X", static_cast<unsigned char>(id[i]));
    return hex;
}

// "Fx|Reverb" becomes ["Fx", "Reverb"].
std::string subCategoryList() {
    std::string out = "[";
    std::string_view rest = kSubCategories;
    while (!rest.empty()) {
        const auto bar = rest.find('|');
        if (out.size() > 1) out += ", ";
        out += quoted(rest.substr(0, bar));
        rest = bar == std::string_view::npos ? std::string_view{} : rest.substr(bar + 1);
    }
    return out + "]";
}

const char* flag(std::int32_t bit) { return (kFactoryFlags & bit) ? "true" : "false"; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.json\n", argv[0]);
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "{\n"
        << "  \"Name\": " << quoted(kPluginName) << ",\n"
        << "  \"Version\": " << quoted(kVersion) << ",\n"
        << "  \"Factory Info\": {\n"
        << "    \"Vendor\": " << quoted(kVendor) << ",\n"
        << "    \"URL\": " << quoted(kWebsiteUrl) << ",\n"
        << "    \"E-Mail\": " << quoted(kEmail) << ",\n"
        << "    \"Flags\": {\n"
        << "      \"Unicode\": " << flag(Steinberg::PFactoryInfo::kUnicode) << ",\n"
        << "      \"Classes Discardable\": " << flag(Steinberg::PFactoryInfo::kClassesDiscardable) << ",\n"
        << "      \"Component Non Discardable\": " << flag(Steinberg::PFactoryInfo::kComponentNonDiscardable) << "\n"
        << "    }\n"
        << "  },\n"
        << "  \"Compatibility\": [],\n"
        << "  \"Classes\": [\n"
        << "    {\n"
        << "      \"CID\": " << quoted(classIdHex()) << ",\n"
        << "      \"Category\": " << quoted(kCategory) << ",\n"
        << "      \"Name\": " << quoted(kPluginName) << ",\n"
        << "      \"Vendor\": " << quoted(kClassVendor) << ",\n"
        << "      \"Version\": " << quoted(kVersion) << ",\n"
        << "      \"SDKVersion\": " << quoted(kSdkVersion) << ",\n"
        << "      \"Sub Categories\": " << subCategoryList() << ",\n"
        << "      \"Class Flags\": " << kClassFlags << ",\n"
        << "      \"Cardinality\": " << kCardinality << ",\n"
        << "      \"Snapshots\": []\n"
        << "    }\n"
        << "  ]\n"
        << "}\n";
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
