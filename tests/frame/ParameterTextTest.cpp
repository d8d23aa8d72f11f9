// Parameter text shared by frame and editor: the C locale always, whatever the process uses.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>

#include "plugin/ParameterText.h"
#include "plugin/Parameters.h"

using namespace halcyra;

namespace {

TEST(ParameterText, DecimalsFollowTheStep) {
    EXPECT_EQ(displayDecimals(kWeather), 3);
    EXPECT_EQ(displayDecimals(kMix), 1);
    EXPECT_EQ(displayDecimals(kDecay), 2);
    EXPECT_EQ(displayDecimals(kResponse), 0);
    EXPECT_EQ(formatParameterValue(kResponse, 1499.6), "1500 ms");
    EXPECT_EQ(formatParameterValue(kOutput, -0.0), "0.0 dB");
    EXPECT_EQ(formatParameterValue(kEvents, 9.0), "Comet");  // beyond the items: the nearest
    EXPECT_EQ(formatParameterValue(kMixLock, 0.0), "Unlocked");
}

TEST(ParameterText, IgnoresTheProcessLocale) {
    // A German locale writes "1,60"; the texts must not change. setup.sh installs it.
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "run setup.sh: the de_DE.UTF-8 locale is missing";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.2f", 1.6);
    EXPECT_STREQ(probe, "1,60") << "the locale in force must really use a decimal comma";
    EXPECT_EQ(formatParameterValue(kDecay, 1.6), "1.60 s");
    EXPECT_EQ(formatParameterNumber(kMix, 55.5), "55.5");
    EXPECT_DOUBLE_EQ(parseParameterText(kDecay, "1.25 s").value_or(-1), 1.25);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(ParameterText, ParsingIsStrictAboutWhatFollowsTheNumber) {
    EXPECT_DOUBLE_EQ(parseParameterText(kOutput, "+3 dB").value_or(-99), 3.0);
    EXPECT_DOUBLE_EQ(parseParameterText(kOutput, "-24").value_or(-99), -24.0);
    EXPECT_DOUBLE_EQ(parseParameterText(kOutput, "99").value_or(-99), 99.0) << "range is the caller's business";
    EXPECT_FALSE(parseParameterText(kOutput, "3 ms"));
    EXPECT_FALSE(parseParameterText(kOutput, "3 dB extra"));
    EXPECT_FALSE(parseParameterText(kOutput, "+-3"));
    EXPECT_FALSE(parseParameterText(kWeather, "0.5 %")) << "a unit-less parameter takes no unit";
    EXPECT_FALSE(parseParameterText(kWeather, "nan"));
    EXPECT_FALSE(parseParameterText(kWeather, "1e400"));
    EXPECT_DOUBLE_EQ(parseParameterText(kResponseMode, "BEATS").value_or(-1), 1.0);
    EXPECT_DOUBLE_EQ(parseParameterText(kPreset, "cinematic overcast").value_or(-1), 7.0);
}

}  // namespace
