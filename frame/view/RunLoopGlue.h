// Connects an open editor to the host's Linux run loop: one handler for the window
// system's connection descriptor and one periodic timer. Some hosts crash when a
// handler is unregistered while the host is calling it, so a disconnect made from
// inside any of our callbacks only silences the handlers; they are unregistered at
// the next call that comes from outside a callback (flushDeferred).
#pragma once

#include <functional>

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/gui/iplugview.h"

namespace halcyra::vst3 {

class RunLoopGlue {
public:
    RunLoopGlue();
    ~RunLoopGlue();
    RunLoopGlue(const RunLoopGlue&) = delete;
    RunLoopGlue& operator=(const RunLoopGlue&) = delete;

    // Registers both handlers; false, with nothing left registered, when the loop
    // refuses either or fd is negative.
    bool connect(Steinberg::Linux::IRunLoop* loop, int fd, std::function<void()> onReadable,
                 std::function<void()> onTimer, Steinberg::uint64 timerMilliseconds);
    // Silences both handlers at once; unregisters them now unless called from inside
    // a callback of ours.
    void disconnect();
    bool connected() const { return fdLink_ != nullptr; }

    // Unregisters handlers whose removal had to wait. Call from host calls that are not
    // run-loop callbacks (view attach, removal, destruction; effect termination).
    static void flushDeferred();
    static bool insideCallback();
    static int deferredCount();

private:
    class FdLink;
    class TimerLink;
    Steinberg::IPtr<Steinberg::Linux::IRunLoop> loop_;
    Steinberg::IPtr<FdLink> fdLink_;
    Steinberg::IPtr<TimerLink> timerLink_;
};

// The host's run loop, from the plug-in frame or, failing that, the host context.
Steinberg::IPtr<Steinberg::Linux::IRunLoop> findRunLoop(Steinberg::FUnknown* plugFrame, Steinberg::FUnknown* hostContext);

}  // namespace halcyra::vst3
