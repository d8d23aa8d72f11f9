#include <gtest/gtest.h>

#include <climits>

#include "RecordingParameterEditor.h"
#include "presets/FactoryPresets.h"

namespace halcyra {
namespace {

using test::Notification;
using test::RecordingParameterEditor;

const FactoryPreset& preset(std::string_view name) {
    const int index = findFactoryPreset(name);
    EXPECT_GE(index, 0) << name;
    return kFactoryPresets[static_cast<std::size_t>(index)];
}

std::vector<EditorCommand> drainAll(EditorCommandQueue& queue) {
    std::vector<EditorCommand> commands;
    queue.drain([&](const EditorCommand& c) { commands.push_back(c); });
    return commands;
}

TEST(FactoryPresetRecall, StormKeepsMixWhileLockedAndSetsItWhenUnlocked) {
    RecordingParameterEditor params;
    EditorCommandQueue queue;
    params.preset(kMix, 77.0);

    ASSERT_TRUE(recallFactoryPreset(findFactoryPreset("Storm"), params, queue));
    EXPECT_EQ(params.value(kMix), 77.0);
    EXPECT_EQ(params.value(kPreset), 4.0);
    // Values arrive as the table's 32-bit floats, not as re-typed decimals.
    EXPECT_EQ(params.value(kSize), static_cast<double>(0.784946f));
    EXPECT_EQ(params.value(kLevel), static_cast<double>(0.62f));
    EXPECT_EQ(params.value(kResponse), 60.0);

    params.preset(kMixLock, 0.0);
    ASSERT_TRUE(recallFactoryPreset(4, params, queue));
    EXPECT_EQ(params.value(kMix), 42.0);
}

TEST(FactoryPresetRecall, AnnouncesEachChangeInOrderThenQueuesOneSkyJump) {
    const std::vector<int> unlockedOrder{kPreset, kRate,  kWeather, kMix,   kSize,      kBrightness,
                                         kWind,   kSpacing, kGust,  kLevel, kCharacter, kResponse};
    for (const bool locked : {false, true}) {
        SCOPED_TRACE(locked ? "Mix Lock on" : "Mix Lock off");
        RecordingParameterEditor params;
        EditorCommandQueue queue;
        params.preset(kMixLock, locked ? 1.0 : 0.0);
        std::vector<std::uint32_t> pendingDuringChanges;
        params.onChange = [&](int) { pendingDuringChanges.push_back(queue.pending()); };

        ASSERT_TRUE(recallFactoryPreset(5, params, queue));

        std::vector<int> expectedOrder = unlockedOrder;
        if (locked) expectedOrder.erase(expectedOrder.begin() + 3);
        EXPECT_EQ(params.changedIndices, expectedOrder);

        std::vector<Notification> expectedLog;
        for (int index : expectedOrder) {
            const double n = toNormalized(index, params.value(index));
            expectedLog.push_back({Notification::HostBegin, index, 0.0});
            expectedLog.push_back({Notification::HostValue, index, n});
            expectedLog.push_back({Notification::HostEnd, index, 0.0});
            expectedLog.push_back({Notification::Editor, index, n});
        }
        EXPECT_EQ(params.log, expectedLog);

        // The jump must be computed from the new values: nothing is queued mid-recall.
        EXPECT_EQ(pendingDuringChanges, std::vector<std::uint32_t>(expectedOrder.size(), 0u));
        const auto commands = drainAll(queue);
        ASSERT_EQ(commands.size(), 1u);
        EXPECT_EQ(commands[0].type, EditorCommandQueue::kSkyJump);
        EXPECT_EQ(commands[0].a, 0.0f);
        EXPECT_EQ(commands[0].b, 0.0f);
        EXPECT_EQ(commands[0].c, 0);
    }
}

TEST(FactoryPresetRecall, OvercastSetsResponseButLeavesOtherControlsAlone) {
    RecordingParameterEditor params;
    EditorCommandQueue queue;
    const std::vector<std::pair<int, double>> untouched{
        {kMonitor, 1}, {kMixLock, 1}, {kEvents, 2}, {kOutput, -6.5}, {kResponseMode, 1}, {kAttack, 120}, {kDecay, 3.2}, {kStarMix, 0.7}};
    for (const auto& [index, value] : untouched) params.preset(index, value);

    ASSERT_TRUE(recallFactoryPreset(findFactoryPreset("Overcast"), params, queue));
    EXPECT_EQ(params.value(kResponse), 160.0);
    for (const auto& [index, value] : untouched) EXPECT_EQ(params.value(index), value) << paramInfo(index).name;
}

TEST(FactoryPresetRecall, StepWrapsInBothDirections) {
    RecordingParameterEditor params;
    EditorCommandQueue queue;
    ASSERT_TRUE(recallFactoryPreset(7, params, queue));
    stepFactoryPreset(+1, params, queue);
    EXPECT_EQ(currentFactoryPresetName(params), "Sky Opening");
    stepFactoryPreset(-1, params, queue);
    EXPECT_EQ(currentFactoryPresetName(params), "Cinematic Overcast");
    stepFactoryPreset(-1, params, queue);
    EXPECT_EQ(currentFactoryPresetName(params), "Vocal Sky");
    // The stepped-to preset is really applied, not just named.
    EXPECT_EQ(params.value(kResponse), static_cast<double>(preset("Vocal Sky").response));
    EXPECT_EQ(drainAll(queue).size(), 4u);
}

TEST(FactoryPresetRecall, IndicesOutsideTheTableChangeAndQueueNothing) {
    RecordingParameterEditor params;
    EditorCommandQueue queue;
    for (int index : {8, -1, INT_MIN, INT_MAX}) EXPECT_FALSE(recallFactoryPreset(index, params, queue)) << index;
    EXPECT_TRUE(params.log.empty());
    EXPECT_EQ(queue.pending(), 0u);
}

TEST(FactoryPresetRecall, FullQueueDropsTheJumpButParametersStillChange) {
    RecordingParameterEditor params;
    EditorCommandQueue queue;
    while (queue.push(EditorCommand{EditorCommandQueue::kStarRequest, 10.0f, 20.0f, 1})) {}
    ASSERT_EQ(queue.pending(), EditorCommandQueue::kCapacity);

    EXPECT_TRUE(recallFactoryPreset(findFactoryPreset("Aurora"), params, queue));
    EXPECT_EQ(params.value(kPreset), 5.0);
    EXPECT_EQ(params.value(kWeather), static_cast<double>(0.55f));
    for (const EditorCommand& c : drainAll(queue)) EXPECT_EQ(c.type, EditorCommandQueue::kStarRequest);
}

TEST(FactoryPresetRecall, NameAndPaletteFollowThePresetParameter) {
    RecordingParameterEditor params;
    EditorCommandQueue queue;
    recallFactoryPreset(findFactoryPreset("Storm"), params, queue);
    EXPECT_EQ(currentFactoryPresetName(params), "Storm");
    EXPECT_EQ(currentPaletteIndex(params), 3);
    recallFactoryPreset(findFactoryPreset("Clear"), params, queue);
    EXPECT_EQ(currentPaletteIndex(params), 0);

    // A value outside the table points nowhere: no name, and the fallback palette.
    for (double odd : {8.0, -1.0, 1e300, std::numeric_limits<double>::quiet_NaN()}) {
        params.forceRaw(kPreset, odd);
        EXPECT_EQ(currentFactoryPresetName(params), "") << odd;
        EXPECT_EQ(currentPaletteIndex(params), kFactoryPresets[3].palette) << odd;
    }
    params.forceRaw(kPreset, 1e300);
    stepFactoryPreset(+1, params, queue);  // must not overflow; lands somewhere valid
    EXPECT_NE(currentFactoryPresetName(params), "");

    EXPECT_EQ(findFactoryPreset("Cinematic Overcast"), 7);
    EXPECT_EQ(findFactoryPreset("storm"), -1);
    EXPECT_EQ(findFactoryPreset(""), -1);
}

}  // namespace
}  // namespace halcyra
