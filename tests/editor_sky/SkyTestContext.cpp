#include "SkyTestContext.h"

#include <cstdio>
#include <filesystem>
#include <random>

namespace halcyra::test {

SkyTestContext::SkyTestContext() {
    std::random_device rd;
    presetFolder = (std::filesystem::temp_directory_path() / ("halcyra-editor-sky-" + std::to_string(rd()))).string();
    std::filesystem::create_directories(presetFolder);
    presets = std::make_unique<PresetStore>(presetFolder);
}

SkyTestContext::~SkyTestContext() {
    std::error_code ec;
    std::filesystem::remove_all(presetFolder, ec);
}

SkyFeed& SkyTestContext::nextSnapshot() {
    SkyFeed& s = feed.writeSlot();
    ResetSnapshot(s);
    return s;
}

void ResetSnapshot(SkyFeed& s) {
    s = SkyFeed{};
    s.onsetGain = 1.0f;
    for (RecentEvent& e : s.flashes) e = RecentEvent{};
}

std::string Describe(const IColor& c) {
    char text[48];
    std::snprintf(text, sizeof text, "(%d, %d, %d, %d)", c.A, c.R, c.G, c.B);
    return text;
}

}  // namespace halcyra::test
