#include "SkyTestContext.h"

#include <filesystem>
#include <random>
#include <stdexcept>

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

AbCompareState& SkyTestContext::abCompare() { throw std::logic_error("the sky view has no business with A/B"); }

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
    return "(" + std::to_string(c.A) + ", " + std::to_string(c.R) + ", " + std::to_string(c.G) + ", " +
           std::to_string(c.B) + ")";
}

}  // namespace halcyra::test
