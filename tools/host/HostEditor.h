// A plug-in editor opened the way a Linux host opens it: the controller's "editor"
// view, checked for X11 embedding, given a frame with a run loop, attached to a parent
// window the caller owns. Closing removes and releases the view. The run loop and
// frame outlive the view, and all three must go before the module is unloaded.
#pragma once

#include <memory>

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "tools/host/HostPlugFrame.h"
#include "tools/host/HostRunLoop.h"

namespace halcyra::host {

class HostEditor {
public:
    // Creates the view and sets its frame; nothing is attached yet. Throws HostError
    // when the controller has no editor or the editor cannot embed in X11.
    HostEditor(Steinberg::Vst::IEditController& controller, HostPlugFrame::ParentResizer resizeParent = {});
    ~HostEditor();
    HostEditor(const HostEditor&) = delete;
    HostEditor& operator=(const HostEditor&) = delete;

    // The view's answer to attached() in the X11 window `parent`.
    Steinberg::tresult attach(unsigned long parent);
    bool attached() const { return attached_; }
    // removed() if attached, then the view is released. Safe to call twice.
    void close();

    Steinberg::IPlugView* view() const { return view_.get(); }
    Steinberg::ViewRect size() const;
    // The host's content scale; false when the view does not take one.
    bool setContentScale(float factor);

    HostRunLoop& runLoop() { return *loop_; }
    HostPlugFrame& frame() { return *frame_; }
    void pump(std::chrono::milliseconds duration) { loop_->runFor(duration); }

private:
    std::unique_ptr<HostRunLoop> loop_;
    std::unique_ptr<HostPlugFrame> frame_;
    Steinberg::IPtr<Steinberg::IPlugView> view_;
    bool attached_ = false;
};

}  // namespace halcyra::host
