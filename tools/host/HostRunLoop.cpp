#include "tools/host/HostRunLoop.h"

#include <poll.h>

#include <algorithm>

namespace halcyra::host {

using namespace Steinberg;
using namespace Steinberg::Linux;

HostRunLoop::~HostRunLoop() = default;

tresult PLUGIN_API HostRunLoop::registerEventHandler(IEventHandler* handler, FileDescriptor fd) {
    if (handler == nullptr || fd < 0) return kInvalidArgument;
    fds_.push_back({IPtr<IEventHandler>(handler), fd, true});
    return kResultTrue;
}

tresult PLUGIN_API HostRunLoop::unregisterEventHandler(IEventHandler* handler) {
    bool found = false;
    for (FdEntry& e : fds_) {
        if (e.live && e.handler.get() == handler) {
            e.live = false;  // dropped after the current dispatch, never while it runs
            found = true;
        }
    }
    return found ? kResultTrue : kInvalidArgument;
}

tresult PLUGIN_API HostRunLoop::registerTimer(ITimerHandler* handler, TimerInterval milliseconds) {
    if (handler == nullptr || milliseconds == 0) return kInvalidArgument;
    const std::chrono::milliseconds interval(static_cast<std::int64_t>(milliseconds));
    timers_.push_back({IPtr<ITimerHandler>(handler), interval, Clock::now() + interval, true});
    return kResultTrue;
}

tresult PLUGIN_API HostRunLoop::unregisterTimer(ITimerHandler* handler) {
    if (handler != nullptr && handler == runningTimer_) ++selfRemovedTimers_;
    bool found = false;
    for (TimerEntry& e : timers_) {
        if (e.live && e.handler.get() == handler) {
            e.live = false;
            found = true;
        }
    }
    return found ? kResultTrue : kInvalidArgument;
}

tresult PLUGIN_API HostRunLoop::queryInterface(const TUID iid, void** obj) {
    if (FUnknownPrivate::iidEqual(iid, IRunLoop::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        *obj = static_cast<IRunLoop*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

void HostRunLoop::runOnce(std::chrono::milliseconds maxWait) {
    const Clock::time_point now = Clock::now();
    Clock::time_point wakeUp = now + maxWait;
    for (const TimerEntry& t : timers_)
        if (t.live) wakeUp = std::min(wakeUp, t.due);

    std::vector<pollfd> polled;
    std::vector<IPtr<IEventHandler>> owners;
    for (const FdEntry& e : fds_) {
        if (!e.live) continue;
        polled.push_back({e.fd, POLLIN, 0});
        owners.push_back(e.handler);
    }
    const auto waitMs = std::chrono::duration_cast<std::chrono::milliseconds>(wakeUp - now).count();
    const int ready = poll(polled.data(), polled.size(), static_cast<int>(std::max<std::int64_t>(0, waitMs)));
    if (ready > 0) {
        for (std::size_t i = 0; i < polled.size(); ++i) {
            if ((polled[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            // Still registered? An earlier handler in this round may have removed it.
            const bool live = std::any_of(fds_.begin(), fds_.end(),
                                          [&](const FdEntry& e) { return e.live && e.handler == owners[i]; });
            if (live) owners[i]->onFDIsSet(polled[i].fd);
        }
    }

    // Timers by index: a callback may add timers (appended) or remove any of them.
    const Clock::time_point afterPoll = Clock::now();
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        if (!timers_[i].live || timers_[i].due > afterPoll) continue;
        timers_[i].due = afterPoll + timers_[i].interval;
        IPtr<ITimerHandler> handler = timers_[i].handler;
        runningTimer_ = handler.get();
        handler->onTimer();
        runningTimer_ = nullptr;
    }
    compact();
}

void HostRunLoop::runFor(std::chrono::milliseconds duration) {
    const Clock::time_point end = Clock::now() + duration;
    for (Clock::time_point now = Clock::now(); now < end; now = Clock::now())
        runOnce(std::chrono::duration_cast<std::chrono::milliseconds>(end - now));
}

void HostRunLoop::compact() {
    fds_.erase(std::remove_if(fds_.begin(), fds_.end(), [](const FdEntry& e) { return !e.live; }), fds_.end());
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [](const TimerEntry& e) { return !e.live; }),
                  timers_.end());
}

int HostRunLoop::eventHandlerCount() const {
    return static_cast<int>(std::count_if(fds_.begin(), fds_.end(), [](const FdEntry& e) { return e.live; }));
}

int HostRunLoop::timerCount() const {
    return static_cast<int>(std::count_if(timers_.begin(), timers_.end(), [](const TimerEntry& e) { return e.live; }));
}

}  // namespace halcyra::host
