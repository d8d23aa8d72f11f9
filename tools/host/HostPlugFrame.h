// The host's IPlugFrame for one open editor: honours resizeView (the parent window is
// resized through a callback, then the view is told with onSize, as the interface
// asks) and hands out the run loop, which Linux plug-ins query from the frame.
#pragma once

#include <functional>
#include <vector>

#include "pluginterfaces/gui/iplugview.h"
#include "tools/host/HostRunLoop.h"

namespace halcyra::host {

class HostPlugFrame final : public Steinberg::IPlugFrame {
public:
    using ParentResizer = std::function<void(int width, int height)>;

    explicit HostPlugFrame(HostRunLoop& loop, ParentResizer resizeParent = {})
        : loop_(loop), resizeParent_(std::move(resizeParent)) {}

    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }  // owned by the tool
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

    // Every size the plug-in asked for, in order.
    const std::vector<Steinberg::ViewRect>& resizeRequests() const { return requests_; }
    // Off: resizeView answers kResultFalse and nothing changes (a host that refuses).
    void setAcceptResizes(bool accept) { accept_ = accept; }
    // Off: the frame does not hand out the run loop (a host without one).
    void setOffersRunLoop(bool offer) { offerRunLoop_ = offer; }

private:
    HostRunLoop& loop_;
    ParentResizer resizeParent_;
    std::vector<Steinberg::ViewRect> requests_;
    bool accept_ = true;
    bool offerRunLoop_ = true;
};

}  // namespace halcyra::host
