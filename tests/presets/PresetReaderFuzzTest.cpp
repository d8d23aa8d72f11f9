// Seeded fuzzing of the preset reader: random bytes and damaged valid files must read
// without crashing (this binary also runs under AddressSanitizer and UBSan), every
// value must be finite, and whatever was read must survive a write and a re-read.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

#include "TemporaryFolder.h"
#include "presets/PresetFileFormat.h"
#include "presets/PresetStore.h"

namespace halcyra {
namespace {

constexpr std::string_view kInterestingBytes = "=\n\r#\\name.eE+-0123456789 \t\0\xff";

std::string randomBytes(std::mt19937& rng) {
    std::uniform_int_distribution<int> length(0, 600), coin(0, 3), byte(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, kInterestingBytes.size() - 1);
    std::string s(static_cast<std::size_t>(length(rng)), '\0');
    for (char& c : s) c = coin(rng) == 0 ? static_cast<char>(byte(rng)) : kInterestingBytes[pick(rng)];
    return s;
}

std::string mutatedValidFile(std::mt19937& rng) {
    std::string s = formatPresetFile(UserPreset{"Wet \\ Sky\nTwo", {{"weather", 0.5}, {"mix", 42}, {"size", 1e-5},
                                                                   {"level", 0.62f}, {"response", 350}}});
    std::uniform_int_distribution<int> edits(1, 8), kind(0, 2), byte(0, 255);
    for (int e = edits(rng); e > 0 && !s.empty(); --e) {
        const std::size_t at = std::uniform_int_distribution<std::size_t>(0, s.size() - 1)(rng);
        switch (kind(rng)) {
            case 0: s[at] = static_cast<char>(byte(rng)); break;
            case 1: s.insert(at, 1, static_cast<char>(byte(rng))); break;
            default: s.erase(at, 1); break;
        }
    }
    return s;
}

void expectSane(const UserPreset& p, const std::string& input) {
    for (const auto& [key, value] : p.entries) {
        ASSERT_TRUE(std::isfinite(value)) << testing::PrintToString(input);
        ASSERT_TRUE(isStorablePresetKey(key)) << testing::PrintToString(key);
    }
    std::istringstream again(formatPresetFile(p));
    UserPreset reread;
    ASSERT_TRUE(readPresetText(again, reread));
    ASSERT_EQ(reread.name, p.name) << testing::PrintToString(input);
    ASSERT_EQ(reread.entries, p.entries) << testing::PrintToString(input);
}

TEST(PresetReaderFuzz, AnyBytesReadAsAFiniteRecordThatRoundTrips) {
    std::mt19937 rng(20261208);
    test::TemporaryFolder tmp;
    const auto file = tmp.path() / "fuzz.halcyrapreset";
    for (int i = 0; i < 4000; ++i) {
        const std::string input = (i % 2 == 0) ? randomBytes(rng) : mutatedValidFile(rng);
        UserPreset p;
        if (i % 50 == 0) {  // now and then through the file system, as find and list read
            test::writeBytes(file, input);
            ASSERT_TRUE(PresetStore::readPresetFile(file.string(), p));
        } else {
            std::istringstream in(input);
            ASSERT_TRUE(readPresetText(in, p));
        }
        expectSane(p, input);
        if (HasFatalFailure()) return;
    }
    UserPreset none;
    EXPECT_FALSE(PresetStore::readPresetFile((tmp.path() / "missing.halcyrapreset").string(), none));
    EXPECT_FALSE(PresetStore::readPresetFile(tmp.str(), none));
}

}  // namespace
}  // namespace halcyra
