// The editor's hold on the host's run loop, against a loop that records every call:
// both handlers registered together or not at all, and never unregistered from inside
// one of the editor's own callbacks.
#include <gtest/gtest.h>

#include "frame/view/RunLoopGlue.h"
#include "tools/host/HostRunLoop.h"

namespace halcyra::vst3 {
namespace {

using namespace Steinberg;
using namespace Steinberg::Linux;

// Refuses timers: a connect must then leave nothing registered.
class TimerlessLoop final : public IRunLoop {
public:
    int handlers = 0;
    tresult PLUGIN_API registerEventHandler(IEventHandler*, FileDescriptor) override {
        ++handlers;
        return kResultTrue;
    }
    tresult PLUGIN_API unregisterEventHandler(IEventHandler*) override {
        --handlers;
        return kResultTrue;
    }
    tresult PLUGIN_API registerTimer(ITimerHandler*, TimerInterval) override { return kResultFalse; }
    tresult PLUGIN_API unregisterTimer(ITimerHandler*) override { return kResultFalse; }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

int pipeReadEnd(int fds[2]) {
    EXPECT_EQ(pipe(fds), 0);
    return fds[0];
}

TEST(RunLoopGlue, ConnectsBothHandlersOrNone) {
    host::HostRunLoop loop;
    RunLoopGlue glue;
    EXPECT_FALSE(glue.connect(&loop, -1, [] {}, [] {}, 16)) << "no descriptor";
    EXPECT_FALSE(glue.connect(nullptr, 0, [] {}, [] {}, 16));

    TimerlessLoop refusing;
    int fds[2];
    EXPECT_FALSE(glue.connect(&refusing, pipeReadEnd(fds), [] {}, [] {}, 16));
    EXPECT_EQ(refusing.handlers, 0) << "the descriptor handler stayed registered";
    EXPECT_FALSE(glue.connected());

    int ticks = 0;
    ASSERT_TRUE(glue.connect(&loop, fds[0], [] {}, [&] { ++ticks; }, 5));
    EXPECT_EQ(loop.eventHandlerCount(), 1);
    EXPECT_EQ(loop.timerCount(), 1);
    // 5 ms ticks: a few arrive within 40 ms; a loaded machine gets up to two seconds.
    for (int i = 0; i < 200 && ticks < 3; ++i) loop.runFor(std::chrono::milliseconds(10));
    EXPECT_GE(ticks, 3);
    glue.disconnect();
    EXPECT_EQ(loop.eventHandlerCount(), 0);
    EXPECT_EQ(loop.timerCount(), 0);
    close(fds[0]);
    close(fds[1]);
}

TEST(RunLoopGlue, ADisconnectFromInsideACallbackWaitsForTheNextOutsideCall) {
    host::HostRunLoop loop;
    int fds[2];
    const int readEnd = pipeReadEnd(fds);
    auto glue = std::make_unique<RunLoopGlue>();
    int ticks = 0, reads = 0;
    ASSERT_TRUE(glue->connect(
        &loop, readEnd, [&] { ++reads; },
        [&] {
            ++ticks;
            glue.reset();  // the editor closes (and goes) from inside its own timer
        },
        5));
    loop.runFor(std::chrono::milliseconds(30));
    EXPECT_EQ(ticks, 1) << "a silenced timer does nothing more";
    EXPECT_EQ(loop.selfRemovedTimers(), 0);
    EXPECT_EQ(loop.timerCount(), 1) << "still registered: removal waits";
    EXPECT_EQ(RunLoopGlue::deferredCount(), 2);

    ASSERT_EQ(write(fds[1], "x", 1), 1);  // a readable descriptor reaches no one either
    loop.runFor(std::chrono::milliseconds(10));
    EXPECT_EQ(reads, 0);

    RunLoopGlue::flushDeferred();
    EXPECT_EQ(RunLoopGlue::deferredCount(), 0);
    EXPECT_EQ(loop.timerCount(), 0);
    EXPECT_EQ(loop.eventHandlerCount(), 0);
    close(fds[0]);
    close(fds[1]);
}

TEST(RunLoopGlue, FlushingFromInsideACallbackStillWaits) {
    host::HostRunLoop loop;
    int fds[2];
    const int readEnd = pipeReadEnd(fds);
    RunLoopGlue first, second;
    ASSERT_TRUE(second.connect(&loop, readEnd, [] {}, [] {}, 5));
    ASSERT_TRUE(first.connect(
        &loop, readEnd, [] {},
        [&] {
            second.disconnect();
            RunLoopGlue::flushDeferred();  // e.g. an editor opened from inside a callback
        },
        5));
    loop.runFor(std::chrono::milliseconds(20));
    EXPECT_EQ(loop.timerCount(), 2) << "nothing unregistered while a callback runs";
    RunLoopGlue::flushDeferred();
    EXPECT_EQ(loop.timerCount(), 1);
    first.disconnect();
    EXPECT_EQ(loop.timerCount(), 0);
    close(fds[0]);
    close(fds[1]);
}

}  // namespace
}  // namespace halcyra::vst3
