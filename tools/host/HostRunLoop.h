// The host's side of a Linux plug-in editor: the run loop a plug-in registers its
// window-system descriptor and its timers with, driven by poll() from the tool's own
// loop. Handlers may register and unregister from inside any callback. The loop also
// counts the one thing hosts are known to crash on (a timer removed from inside its
// own callback), so tests can check a plug-in never does it.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/gui/iplugview.h"

namespace halcyra::host {

class HostRunLoop final : public Steinberg::Linux::IRunLoop {
public:
    HostRunLoop() = default;
    ~HostRunLoop();
    HostRunLoop(const HostRunLoop&) = delete;
    HostRunLoop& operator=(const HostRunLoop&) = delete;

    Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                       Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval milliseconds) override;
    Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }  // owned by the tool
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

    // Waits at most `maxWait` for a readable descriptor or a due timer and runs them.
    void runOnce(std::chrono::milliseconds maxWait);
    // Runs the loop until `duration` has passed.
    void runFor(std::chrono::milliseconds duration);

    int eventHandlerCount() const;
    int timerCount() const;
    int selfRemovedTimers() const { return selfRemovedTimers_; }

private:
    using Clock = std::chrono::steady_clock;
    struct FdEntry {
        Steinberg::IPtr<Steinberg::Linux::IEventHandler> handler;
        int fd = -1;
        bool live = true;
    };
    struct TimerEntry {
        Steinberg::IPtr<Steinberg::Linux::ITimerHandler> handler;
        std::chrono::milliseconds interval{0};
        Clock::time_point due;
        bool live = true;
    };
    void compact();

    std::vector<FdEntry> fds_;
    std::vector<TimerEntry> timers_;
    Steinberg::Linux::ITimerHandler* runningTimer_ = nullptr;
    int selfRemovedTimers_ = 0;
};

}  // namespace halcyra::host
