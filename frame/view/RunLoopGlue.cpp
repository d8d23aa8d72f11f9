#include "frame/view/RunLoopGlue.h"

#include <utility>
#include <vector>

#include "base/source/fobject.h"

namespace halcyra::vst3 {

using namespace Steinberg;
using namespace Steinberg::Linux;

namespace {

// Run-loop callbacks all arrive on the user-interface thread, like every view call.
int gCallbackDepth = 0;

// Each pending removal holds the loop and the handler, so the handler stays alive for
// as long as the host may still call it.
std::vector<std::function<void()>>& deferred() {
    static std::vector<std::function<void()>> list;
    return list;
}

class CallbackScope {
public:
    CallbackScope() { ++gCallbackDepth; }
    ~CallbackScope() { --gCallbackDepth; }
};

// The host's loop is no place for an exception: a frame that fails is skipped.
void runGuarded(const std::function<void()>& fn) noexcept {
    try {
        fn();
    } catch (...) {
    }
}

}  // namespace

class RunLoopGlue::FdLink final : public FObject, public IEventHandler {
public:
    explicit FdLink(std::function<void()> f) : fn_(std::move(f)) {}
    void silence() { fn_ = nullptr; }
    void PLUGIN_API onFDIsSet(Linux::FileDescriptor) override {
        if (!fn_) return;
        IPtr<FdLink> self(this);  // a removal inside the callback must not free us mid-call
        const std::function<void()> fn = fn_;  // nor destroy the function while it runs
        CallbackScope scope;
        runGuarded(fn);
    }
    OBJ_METHODS(FdLink, FObject)
    DEFINE_INTERFACES
        DEF_INTERFACE(IEventHandler)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    std::function<void()> fn_;
};

class RunLoopGlue::TimerLink final : public FObject, public ITimerHandler {
public:
    explicit TimerLink(std::function<void()> f) : fn_(std::move(f)) {}
    void silence() { fn_ = nullptr; }
    void PLUGIN_API onTimer() override {
        if (!fn_) return;
        IPtr<TimerLink> self(this);
        const std::function<void()> fn = fn_;
        CallbackScope scope;
        runGuarded(fn);
    }
    OBJ_METHODS(TimerLink, FObject)
    DEFINE_INTERFACES
        DEF_INTERFACE(ITimerHandler)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    std::function<void()> fn_;
};

RunLoopGlue::RunLoopGlue() = default;
RunLoopGlue::~RunLoopGlue() { disconnect(); }

bool RunLoopGlue::connect(IRunLoop* loop, int fd, std::function<void()> onReadable, std::function<void()> onTimer,
                          uint64 timerMilliseconds) {
    disconnect();
    if (loop == nullptr || fd < 0) return false;
    loop_ = loop;
    fdLink_ = owned(new FdLink(std::move(onReadable)));
    timerLink_ = owned(new TimerLink(std::move(onTimer)));
    if (loop_->registerEventHandler(fdLink_, fd) != kResultTrue) {
        fdLink_ = nullptr;
        timerLink_ = nullptr;
        loop_ = nullptr;
        return false;
    }
    if (loop_->registerTimer(timerLink_, timerMilliseconds) != kResultTrue) {
        timerLink_ = nullptr;
        disconnect();
        return false;
    }
    return true;
}

void RunLoopGlue::disconnect() {
    if (!loop_) return;
    if (fdLink_) fdLink_->silence();
    if (timerLink_) timerLink_->silence();
    auto removeFd = [loop = loop_, link = fdLink_] {
        if (link) loop->unregisterEventHandler(link);
    };
    auto removeTimer = [loop = loop_, link = timerLink_] {
        if (link) loop->unregisterTimer(link);
    };
    if (gCallbackDepth > 0) {
        deferred().push_back(removeTimer);
        deferred().push_back(removeFd);
    } else {
        removeTimer();
        removeFd();
    }
    fdLink_ = nullptr;
    timerLink_ = nullptr;
    loop_ = nullptr;
}

void RunLoopGlue::flushDeferred() {
    if (gCallbackDepth > 0) return;
    std::vector<std::function<void()>> pending;
    pending.swap(deferred());
    for (auto& unregister : pending) unregister();
}

bool RunLoopGlue::insideCallback() { return gCallbackDepth > 0; }

int RunLoopGlue::deferredCount() { return static_cast<int>(deferred().size()); }

IPtr<IRunLoop> findRunLoop(FUnknown* plugFrame, FUnknown* hostContext) {
    for (FUnknown* source : {plugFrame, hostContext}) {
        if (source == nullptr) continue;
        IRunLoop* loop = nullptr;
        if (source->queryInterface(IRunLoop::iid, reinterpret_cast<void**>(&loop)) == kResultTrue && loop != nullptr)
            return owned(loop);
    }
    return nullptr;
}

}  // namespace halcyra::vst3
