// A/B compare: which values a switch brings back, which it leaves alone, and what
// "A>B" does (and does not) change.
#include <gtest/gtest.h>

#include <set>

#include "PresetTestContext.h"
#include "plugin/Parameters.h"

namespace halcyra::test {
namespace {

constexpr int kA = AbCompareState::kSlotA;
constexpr int kB = AbCompareState::kSlotB;

class AbCompare : public ::testing::Test {
protected:
    AbCompare() { ctx.ab.setUp(ctx.editor); }
    void Set(int index, double value) { ctx.store.set(index, value); }
    double Get(int index) const { return ctx.store.get(index); }

    PresetTestContext ctx;
};

TEST_F(AbCompare, SelectingTheCurrentSlotChangesNothing) {
    Set(kSize, 0.25);
    const std::vector<double> before = ctx.ab.snapshot(kA);
    ctx.ab.select(kA, ctx.editor);
    EXPECT_EQ(ctx.ab.current(), kA);
    EXPECT_TRUE(ctx.editor.calls.empty());
    EXPECT_DOUBLE_EQ(Get(kSize), 0.25);
    EXPECT_EQ(ctx.ab.snapshot(kA), before);  // no capture either
}

TEST_F(AbCompare, FirstSwitchToBRestoresTheSetUpValuesAndBackToAReturnsTheEdits) {
    Set(kSize, 0.25);
    Set(kMix, 40.0);
    Set(kPreset, 4.0);
    ctx.ab.select(kB, ctx.editor);
    EXPECT_EQ(ctx.ab.current(), kB);
    EXPECT_DOUBLE_EQ(Get(kSize), paramInfo(kSize).defaultValue);
    EXPECT_DOUBLE_EQ(Get(kMix), paramInfo(kMix).defaultValue);
    EXPECT_DOUBLE_EQ(Get(kPreset), 0.0);

    Set(kSize, 0.75);  // an edit made while B is current belongs to B
    ctx.ab.select(kA, ctx.editor);
    EXPECT_DOUBLE_EQ(Get(kSize), 0.25);
    EXPECT_DOUBLE_EQ(Get(kMix), 40.0);
    EXPECT_DOUBLE_EQ(Get(kPreset), 4.0);
    ctx.ab.select(kB, ctx.editor);
    EXPECT_DOUBLE_EQ(Get(kSize), 0.75);
}

TEST_F(AbCompare, ListeningSetupParametersKeepTheirValuesAcrossSwitches) {
    const std::set<int> excluded{kMonitor, kEvents, kOutput, kResponseMode, kAttack, kDecay, kStarMix};
    for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(AbCompareState::isExcluded(i), excluded.count(i) == 1) << i;

    Set(kMonitor, 1);
    Set(kEvents, 2);
    Set(kOutput, -6.0);
    Set(kResponseMode, 1);
    Set(kAttack, 120.0);
    Set(kDecay, 3.0);
    Set(kStarMix, 0.8);
    ctx.ab.select(kB, ctx.editor);  // B was captured with the defaults at set-up
    EXPECT_DOUBLE_EQ(Get(kMonitor), 1);
    EXPECT_DOUBLE_EQ(Get(kEvents), 2);
    EXPECT_DOUBLE_EQ(Get(kOutput), -6.0);
    EXPECT_DOUBLE_EQ(Get(kResponseMode), 1);
    EXPECT_DOUBLE_EQ(Get(kAttack), 120.0);
    EXPECT_DOUBLE_EQ(Get(kDecay), 3.0);
    EXPECT_DOUBLE_EQ(Get(kStarMix), 0.8);

    Set(kOutput, 3.0);
    ctx.ab.select(kA, ctx.editor);
    EXPECT_DOUBLE_EQ(Get(kOutput), 3.0);

    // Every other parameter is applied through the plug-in path (host and editor told).
    std::set<int> applied;
    for (const auto& [index, value] : ctx.editor.calls) applied.insert(index);
    EXPECT_EQ(applied.size(), static_cast<std::size_t>(kNumParams) - excluded.size());
    for (int i : excluded) EXPECT_EQ(applied.count(i), 0u) << i;
}

TEST_F(AbCompare, CopyWithBCurrentKeepsTheSoundAndIsOverwrittenWhenLeavingB) {
    Set(kSize, 0.3);  // A
    ctx.ab.select(kB, ctx.editor);
    Set(kSize, 0.6);  // B, live
    ctx.editor.calls.clear();

    ctx.ab.copyAToB(ctx.editor);
    EXPECT_TRUE(ctx.editor.calls.empty());
    EXPECT_DOUBLE_EQ(Get(kSize), 0.6);
    EXPECT_DOUBLE_EQ(ctx.ab.snapshot(kB)[kSize], 0.3);
    EXPECT_EQ(ctx.ab.current(), kB);

    ctx.ab.select(kA, ctx.editor);  // leaving B captures the live values into it
    EXPECT_DOUBLE_EQ(ctx.ab.snapshot(kB)[kSize], 0.6);
    EXPECT_DOUBLE_EQ(Get(kSize), 0.3);
    ctx.ab.select(kB, ctx.editor);
    EXPECT_DOUBLE_EQ(Get(kSize), 0.6);
}

TEST_F(AbCompare, CopyWithACurrentTakesTheLiveValuesOfA) {
    Set(kBrightness, 0.9);
    ctx.ab.copyAToB(ctx.editor);
    EXPECT_DOUBLE_EQ(Get(kBrightness), 0.9);
    Set(kBrightness, 0.1);
    ctx.ab.select(kB, ctx.editor);
    EXPECT_DOUBLE_EQ(Get(kBrightness), 0.9);
}

TEST_F(AbCompare, ASecondEditorKeepsTheStateTheFirstLeft) {
    Set(kWind, 0.2);
    ctx.ab.select(kB, ctx.editor);
    Set(kWind, 0.4);
    ctx.ab.select(kA, ctx.editor);
    ctx.ab.select(kB, ctx.editor);

    ctx.ab.setUp(ctx.editor);  // the editor is closed and opened again
    EXPECT_EQ(ctx.ab.current(), kB);
    EXPECT_DOUBLE_EQ(ctx.ab.snapshot(kA)[kWind], 0.2);
    ctx.ab.select(kA, ctx.editor);
    EXPECT_DOUBLE_EQ(Get(kWind), 0.2);
}

TEST_F(AbCompare, SlotsOutsideAAndBAreIgnored) {
    Set(kSize, 0.5);
    ctx.ab.select(2, ctx.editor);
    ctx.ab.select(-1, ctx.editor);
    EXPECT_EQ(ctx.ab.current(), kA);
    EXPECT_TRUE(ctx.editor.calls.empty());
    EXPECT_FALSE(ctx.ab.valid(2));
    EXPECT_TRUE(ctx.ab.snapshot(2).empty());
}

}  // namespace
}  // namespace halcyra::test
