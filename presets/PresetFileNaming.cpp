#include "presets/PresetFileNaming.h"

#include <filesystem>

namespace halcyra {

namespace {

bool isSeparator(char c) {
    return c == '/' || c == static_cast<char>(std::filesystem::path::preferred_separator);
}

bool isKeptInFileName(char c) {
    return c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::string joinPath(std::string_view left, std::string_view right) {
    std::string out(left);
    if (!out.empty() && !isSeparator(out.back())) out += static_cast<char>(std::filesystem::path::preferred_separator);
    out += right;
    return out;
}

bool hasPresetExtension(std::string_view fileName) {
    if (fileName == "." || fileName == "..") return false;
    const std::size_t dot = fileName.rfind('.');
    return dot != std::string_view::npos && fileName.substr(dot) == kPresetExtension;
}

std::string presetFileStem(std::string_view presetName) {
    if (presetName.empty()) return "preset";
    std::string stem(presetName);
    for (char& c : stem)
        if (!isKeptInFileName(c)) c = '_';
    return stem;
}

std::string presetFileCandidate(std::string_view stem, unsigned attempt) {
    std::string name(stem);
    if (attempt > 1) {
        name += '-';
        name += std::to_string(attempt);
    }
    name += kPresetExtension;
    return name;
}

}  // namespace halcyra
