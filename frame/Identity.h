// Who the plug-in says it is to hosts: names, version, class ID and the factory's
// contact details. Everything a host shows or stores about the module lives here.
#pragma once

#include <cstdint>

namespace halcyra::identity {

inline constexpr const char* kPluginName = "Halcyra";
inline constexpr const char* kVendor = "tavimoro";
inline constexpr const char* kWebsiteUrl = "https://tavimoro.com/halcyra";
inline constexpr const char* kEmail = "mailto:halcyra@tavimoro.com";
inline constexpr const char* kVersion = "1.0.18";
inline constexpr std::uint32_t kVersionPacked = 0x00010012;  // major << 16 | minor << 8 | patch
inline constexpr const char* kSdkVersion = "VST 3.8.0";
inline constexpr const char* kCategory = "Audio Module Class";
inline constexpr const char* kSubCategories = "Fx";
inline constexpr const char* kClassVendor = "";       // empty: the factory's vendor applies
inline constexpr std::int32_t kClassFlags = 2;        // simple mode supported
inline constexpr std::int32_t kCardinality = 0x7FFFFFFF;  // any number of instances
inline constexpr std::int32_t kFactoryFlags = 16;     // strings are Unicode

// Four-character codes packed big-endian, first character in the high byte.
constexpr std::uint32_t fourCharCode(const char (&code)[5]) {
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16) |
           (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}
inline constexpr std::uint32_t kManufacturerId = fourCharCode("Tvmr");
inline constexpr std::uint32_t kPluginId = fourCharCode("Hlcy");

// The four 32-bit words of the 128-bit class ID.
inline constexpr std::uint32_t kClassIdWords[4] = {0xF2AEE70D, 0x00DE4F4E, kManufacturerId, kPluginId};

}  // namespace halcyra::identity
