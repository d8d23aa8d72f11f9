#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

#include "RecordingParameterEditor.h"
#include "presets/PresetFileFormat.h"
#include "presets/PresetNameEscaping.h"
#include "presets/PresetNumberText.h"
#include "presets/PresetStore.h"

namespace halcyra {
namespace {

UserPreset parse(const std::string& text) {
    std::istringstream in(text);
    UserPreset preset;
    EXPECT_TRUE(readPresetText(in, preset));
    return preset;
}

using Entries = std::vector<std::pair<std::string, double>>;

// A host may switch the process to a locale with a decimal comma; files must not change.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(PresetFileFormat, FileFromParametersHasThirteenExactLinesInAnyLocale) {
    test::RecordingParameterEditor params;
    params.preset(kResponse, 350);
    params.preset(kLevel, 1e-05);
    params.preset(kMix, 100);

    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const std::string text = formatPresetFile(PresetStore::fromParameters("Night", params));
    const UserPreset back = parse(text);
    std::locale::global(previous);

    EXPECT_EQ(text,
              "# Halcyra user preset\n"
              "name=Night\n"
              "weather=0.5\n"
              "mix=100\n"
              "size=1\n"
              "brightness=0.20000000000000001\n"
              "wind=1\n"
              "spacing=1\n"
              "gust=0.5\n"
              "rate=0\n"
              "level=1.0000000000000001e-05\n"
              "character=0\n"
              "response=350\n");
    EXPECT_EQ(back.entries[3], (std::pair<std::string, double>{"brightness", 0.2}));
    EXPECT_EQ(back.entries[8], (std::pair<std::string, double>{"level", 1e-05}));
}

TEST(PresetFileFormat, NamesWithSeparatorsAndLineBreaksSurviveTheRoundTrip) {
    for (const std::string& name : std::vector<std::string>{"a=b", "two\nlines", "cr\rhere", "back\\slash", "\\n typed", "ends\\", std::string("nul\0byte", 8),
                                   std::string("caf\xC3\xA9")}) {
        const std::string text = formatPresetFile(UserPreset{name, {}});
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << "the name must stay on one line";
        EXPECT_EQ(parse(text).name, name);
    }
    EXPECT_EQ(formatPresetFile(UserPreset{"x\ny", {}}), "# Halcyra user preset\nname=x\\ny\n");
    EXPECT_EQ(parse("name=a=b\n").name, "a=b");
    // Escapes the writer never produces are kept as typed.
    EXPECT_EQ(unescapePresetName("a\\tb\\"), "a\\tb\\");
    EXPECT_EQ(unescapePresetName("\\\\n"), "\\n");
}

TEST(PresetFileFormat, ReaderSkipsNoiseAndKeepsEntriesInFileOrder) {
    const std::string lf =
        "# comment\n\nname=First\nno separator here\n=7\nlevel=0.25\nfuture=3\nlevel=0.5\nname=Second\nmix=12";
    std::string crlf;
    for (char c : lf) crlf += (c == '\n') ? std::string("\r\n") : std::string(1, c);

    for (const std::string& text : {lf, crlf}) {
        const UserPreset p = parse(text);
        EXPECT_EQ(p.name, "Second");
        EXPECT_EQ(p.entries, (Entries{{"level", 0.25}, {"future", 3}, {"level", 0.5}, {"mix", 12}}));
    }
    // Only one CR is a line end; nothing else is trimmed.
    EXPECT_EQ(parse("name= Pad \r\r\n").name, " Pad \r");
    EXPECT_EQ(parse(" level=1\n").entries, (Entries{{" level", 1}}));
}

TEST(PresetFileFormat, NumbersReadLikeAClassicStreamAndAreAlwaysFinite) {
    const std::vector<std::pair<std::string, double>> cases{
        {"0.5abc", 0.5}, {"abc", 0}, {"", 0}, {" \t0.25", 0.25}, {"+.5", 0.5}, {"-3", -3}, {"5.", 5}, {".", 0},
        {"-", 0}, {"1e3x", 1000}, {"2E-2", 0.02}, {"1e", 0}, {"1e+", 0}, {"0x10", 0}, {"1,5", 1}, {"nan", 0},
        {"inf", 0}, {"-infinity", 0}, {"1e400", 0}, {"-1e400", 0}, {"1e-400", 0}, {"00042", 42},
        {"0.20000000000000001", 0.2}, {"\xEF\xBC\x91", 0}};
    for (const auto& [text, expected] : cases) {
        const double v = parsePresetNumber(text);
        EXPECT_EQ(v, expected) << '"' << text << '"';
        EXPECT_TRUE(std::isfinite(v));
    }
    EXPECT_EQ(parse("level=0.5abc\nrate=abc\n").entries, (Entries{{"level", 0.5}, {"rate", 0}}));
}

TEST(PresetFileFormat, TenMegabyteLinesAreReadWithoutHarm) {
    const std::string digits(10 * 1024 * 1024, '9');
    const UserPreset p = parse("level=" + digits + "\nname=" + std::string(10 * 1024 * 1024, 'n') + "\nmix=0." + digits);
    EXPECT_EQ(p.name.size(), 10u * 1024 * 1024);
    ASSERT_EQ(p.entries.size(), 2u);
    EXPECT_EQ(p.entries[0].second, 0.0);  // far beyond any double
    EXPECT_EQ(p.entries[1].second, 1.0);  // 0.999... rounds up
}

}  // namespace
}  // namespace halcyra
