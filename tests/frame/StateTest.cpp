// The saved state: exact bytes out, tolerant and safe restore, controller in step.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "FrameTestSupport.h"
#include "pluginterfaces/base/ibstream.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using halcyra::host::HandlerEvent;
using halcyra::host::ProcessSettings;
using namespace halcyra::test;

namespace {

constexpr int kEvents = 10, kOutput = 11, kBypassId = 20;

// A stream that hands out its bytes in small pieces and then fails.
class FailingStream : public IBStream {
public:
    FailingStream(std::vector<std::uint8_t> bytes, std::size_t failAfter) : bytes_(std::move(bytes)), failAfter_(failAfter) {}
    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) override {
        if (pos_ >= failAfter_) {
            if (numBytesRead) *numBytesRead = 0;
            return kInternalError;
        }
        const std::size_t n = std::min<std::size_t>({static_cast<std::size_t>(numBytes), 40, failAfter_ - pos_});
        std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        if (numBytesRead) *numBytesRead = static_cast<int32>(n);
        return kResultOk;
    }
    tresult PLUGIN_API write(void*, int32, int32*) override { return kNotImplemented; }
    tresult PLUGIN_API seek(int64, int32, int64*) override { return kNotImplemented; }
    tresult PLUGIN_API tell(int64* pos) override {
        if (pos) *pos = static_cast<int64>(pos_);
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t failAfter_;
    std::size_t pos_ = 0;
};

TEST(State, FreshInstanceSavesTheDefaultsIn164Bytes) {
    auto p = makeInstance();
    const std::vector<std::uint8_t> state = p->saveState();
    EXPECT_EQ(state, stateBytes(kDefaults, 0));
}

TEST(State, RestoreSnapsClampsAndUpdatesTheControllerSide) {
    auto p = makeInstance();
    std::vector<double> v = kDefaults;
    v[kEvents] = 1.6;
    v[kOutput] = 40.0;
    v[1] = 42.5;
    v[18] = 0.05;  // Decay below its 0.3 s floor
    EXPECT_EQ(p->restoreState(stateBytes(v, 1)), kResultOk);
    EXPECT_EQ(plainValue(*p, kEvents), 2.0);
    EXPECT_EQ(plainValue(*p, kOutput), 12.0);
    EXPECT_DOUBLE_EQ(plainValue(*p, 1), 42.5);
    EXPECT_DOUBLE_EQ(plainValue(*p, 18), 0.3);
    EXPECT_EQ(p->controller()->getParamNormalized(kBypassId), 1.0);
    // A restore the host asked for never calls back into the host, which may hold its
    // own locks around setState.
    for (const auto& e : p->handlerLog().events()) EXPECT_NE(e.kind, HandlerEvent::Restart);
}

TEST(State, NonFiniteEntriesLeaveTheirParametersAlone) {
    auto p = startedInstance(ProcessSettings{});
    p->controller()->setParamNormalized(2, 0.25);  // Size
    std::vector<double> v = kDefaults;
    v[2] = std::numeric_limits<double>::quiet_NaN();
    v[kOutput] = std::numeric_limits<double>::infinity();
    v[3] = 0.7;
    p->restoreState(stateBytes(v, 0));
    EXPECT_DOUBLE_EQ(plainValue(*p, 2), 0.25);
    EXPECT_DOUBLE_EQ(plainValue(*p, kOutput), 0.0);
    EXPECT_DOUBLE_EQ(plainValue(*p, 3), 0.7) << "entries after a bad one still apply";
    const std::vector<double> x = testSignal(8000, 1);
    EXPECT_TRUE(allFinite(render(*p, {x, x}, 256, false)));
    const std::vector<std::uint8_t> saved = p->saveState();
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(std::isfinite(stateValue(saved, i))) << i;
}

TEST(State, ShortStreamsApplyWhatTheyHold) {
    auto p = makeInstance();
    std::vector<double> twelve;
    for (int i = 0; i < 12; ++i) twelve.push_back(i == 1 ? 10.0 : i == kOutput ? -6.0 : 0.0);
    const std::vector<std::uint8_t> bytes = stateBytes(twelve, 1);
    ASSERT_EQ(bytes.size(), 100u);
    EXPECT_EQ(p->restoreState(bytes), kResultOk);
    EXPECT_DOUBLE_EQ(plainValue(*p, 1), 10.0);
    EXPECT_DOUBLE_EQ(plainValue(*p, kOutput), -6.0);
    EXPECT_DOUBLE_EQ(plainValue(*p, 9), 0.0);   // Mix Lock from the stream
    EXPECT_DOUBLE_EQ(plainValue(*p, 17), 30.0);  // beyond the stream: untouched
    EXPECT_EQ(p->controller()->getParamNormalized(kBypassId), 1.0);

    // A whole state cut to the same length: the four bytes of "Rate" behind the twelfth
    // value are no bypass word, so the bypass stays as it was, either way.
    std::vector<double> v = kDefaults;
    v[1] = 20.0;
    v[12] = 0.37;
    std::vector<std::uint8_t> cutState = stateBytes(v, 0);
    cutState.resize(100);
    for (double bypass : {0.0, 1.0}) {
        auto c = makeInstance();
        c->controller()->setParamNormalized(kBypassId, bypass);
        EXPECT_NE(c->restoreState(cutState), kResultOk);
        EXPECT_DOUBLE_EQ(plainValue(*c, 1), 20.0);
        EXPECT_EQ(c->controller()->getParamNormalized(kBypassId), bypass);
        EXPECT_EQ(c->saveState()[160], bypass) << "the re-saved state keeps the bypass";
    }

    // Too short for the bypass: the values stay applied, the restore reports failure.
    auto q = makeInstance();
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + 42);  // five values and two stray bytes
    EXPECT_NE(q->restoreState(cut), kResultOk);
    EXPECT_DOUBLE_EQ(plainValue(*q, 1), 10.0);
    EXPECT_DOUBLE_EQ(plainValue(*q, kOutput), 0.0);
    EXPECT_EQ(q->controller()->getParamNormalized(kBypassId), 0.0);
}

TEST(State, ReadsThatFailPartWayKeepWhatArrived) {
    auto p = makeInstance();
    std::vector<double> v = kDefaults;
    v[0] = 0.9;
    v[19] = 0.8;
    FailingStream stream(stateBytes(v, 1), 80);  // ten values, then errors
    EXPECT_NE(p->component()->setState(&stream), kResultOk);
    EXPECT_DOUBLE_EQ(plainValue(*p, 0), 0.9);
    EXPECT_DOUBLE_EQ(plainValue(*p, 19), 0.0);
}

TEST(State, RestoringTwiceEqualsOnceAndRoundTripsAreExact) {
    std::vector<double> v = {0.123, 55.5, 0.7, 0.1, 0.9, 0.3, 0.4, 5, 1, 0, 1, -7.3, 0.2, 0.3, 0.4, 1200, 1, 77, 2.25, 0.6};
    const std::vector<std::uint8_t> bytes = stateBytes(v, 1);
    auto once = makeInstance();
    auto twice = makeInstance();
    once->restoreState(bytes);
    twice->restoreState(bytes);
    twice->restoreState(bytes);
    EXPECT_EQ(once->saveState(), twice->saveState());
    EXPECT_EQ(once->saveState(), bytes);

    // Random host edits, then get -> set -> get must not move a single byte.
    auto p = makeInstance();
    std::uint32_t seed = 99;
    for (int i = 0; i < 200; ++i) {
        seed = 1664525u * seed + 1013904223u;
        p->controller()->setParamNormalized(seed % 21, (seed >> 8) / 16777216.0);
    }
    const std::vector<std::uint8_t> first = p->saveState();
    auto other = makeInstance();
    other->restoreState(first);
    EXPECT_EQ(other->saveState(), first);
    p->restoreState(first);
    EXPECT_EQ(p->saveState(), first);
}

TEST(State, GarbageAndEmptyStreamsAreSurvived) {
    auto p = startedInstance(ProcessSettings{});
    const std::vector<std::uint8_t> before = p->saveState();
    EXPECT_NE(p->restoreState({}), kResultOk);
    EXPECT_EQ(p->saveState(), before);
    EXPECT_NE(p->component()->setState(nullptr), kResultOk);

    std::uint32_t seed = 1;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> junk(static_cast<std::size_t>(round % 400));
        for (auto& b : junk) {
            seed = 1664525u * seed + 1013904223u;
            b = static_cast<std::uint8_t>(seed >> 24);
        }
        p->restoreState(junk);
        for (int i = 0; i < 20; ++i) {
            const double n = p->controller()->getParamNormalized(static_cast<ParamID>(i));
            ASSERT_TRUE(n >= 0.0 && n <= 1.0) << "round " << round << " parameter " << i;
        }
    }
    const std::vector<double> x = testSignal(4096, 8);
    EXPECT_TRUE(allFinite(render(*p, {x, x}, 512, false)));
}

}  // namespace
