#include "support/TestEditorContext.h"

#include <filesystem>
#include <random>

namespace halcyra::test {

TestEditorContext::TestEditorContext(const std::string& folderTag) {
    std::random_device rd;
    presetFolder =
        (std::filesystem::temp_directory_path() / ("halcyra-" + folderTag + "-" + std::to_string(rd()))).string();
    std::filesystem::create_directories(presetFolder);
    presets = std::make_unique<PresetStore>(presetFolder);
}

TestEditorContext::~TestEditorContext() {
    std::error_code ec;
    std::filesystem::remove_all(presetFolder, ec);
}

std::string TestEditorContext::resourcePath(const std::string& name) const {
    return name == "Halcyra-Manual.pdf" ? manualPath : std::string();
}

}  // namespace halcyra::test
