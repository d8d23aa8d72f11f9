// Preset recall through the connection point, the way the editor and the render tool ask.
#include <gtest/gtest.h>

#include <string>

#include "FrameTestSupport.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using halcyra::host::HandlerEvent;
using namespace halcyra::test;

namespace {

constexpr int kMix = 1, kPreset = 7, kMixLock = 9;

TEST(PresetMessages, FactoryPresetChangesParametersAsThePlugIn) {
    auto p = makeInstance();
    p->controller()->setParamNormalized(kMixLock, 0.0);  // let the preset set Mix too
    p->handlerLog().clear();
    ASSERT_EQ(p->sendStringMessage("HalcyraPreset", "factory", "Storm"), kResultOk);
    EXPECT_DOUBLE_EQ(plainValue(*p, kPreset), 4.0);
    EXPECT_DOUBLE_EQ(plainValue(*p, kMix), 42.0);

    // Every change reached the host as begin, perform (with the stored value), end.
    const auto& events = p->handlerLog().events();
    ASSERT_FALSE(events.empty());
    ASSERT_EQ(events.size() % 3, 0u);
    bool sawMix = false;
    for (std::size_t i = 0; i < events.size(); i += 3) {
        EXPECT_EQ(events[i].kind, HandlerEvent::Begin);
        EXPECT_EQ(events[i + 1].kind, HandlerEvent::Perform);
        EXPECT_EQ(events[i + 2].kind, HandlerEvent::End);
        EXPECT_EQ(events[i].id, events[i + 1].id);
        EXPECT_EQ(events[i + 1].value, p->controller()->getParamNormalized(events[i].id));
        sawMix = sawMix || events[i].id == static_cast<ParamID>(kMix);
    }
    EXPECT_TRUE(sawMix);
}

TEST(PresetMessages, MixLockKeepsMix) {
    auto p = makeInstance();
    ASSERT_EQ(p->sendStringMessage("HalcyraPreset", "factory", "Storm"), kResultOk);
    EXPECT_DOUBLE_EQ(plainValue(*p, kMix), 100.0);
}

TEST(PresetMessages, UnknownNamesAndOtherMessagesChangeNothing) {
    auto p = makeInstance();
    const auto before = p->saveState();
    EXPECT_EQ(p->sendStringMessage("HalcyraPreset", "factory", "Tornado"), kResultFalse);
    EXPECT_EQ(p->sendStringMessage("HalcyraPreset", "factory", "storm"), kResultFalse);  // names are exact
    EXPECT_EQ(p->sendStringMessage("HalcyraPreset", "user", "no such preset, surely"), kResultFalse);
    EXPECT_EQ(p->sendStringMessage("HalcyraPreset", "colour", "Storm"), kResultFalse);
    EXPECT_NE(p->sendStringMessage("SomethingElse", "factory", "Storm"), kResultOk);
    EXPECT_EQ(p->saveState(), before);
    EXPECT_TRUE(p->handlerLog().events().empty());
}

TEST(PresetMessages, AnUnknownNameIsAnsweredWithTheKnownOnes) {
    auto p = makeInstance();
    std::string known;
    EXPECT_EQ(p->sendStringMessage("HalcyraPreset", "factory", "Tornado", "known", &known), kResultFalse);
    EXPECT_EQ(known,
              "Sky Opening\nClear\nOvercast\nCirrus\nStorm\nAurora\nVocal Sky\nCinematic Overcast\n");
    known = "stale";
    EXPECT_EQ(p->sendStringMessage("HalcyraPreset", "factory", "Storm", "known", &known), kResultOk);
    EXPECT_EQ(known, "") << "a recalled preset needs no answer";
}

}  // namespace
