#include "tools/host/HostPlugFrame.h"

namespace halcyra::host {

using namespace Steinberg;

tresult PLUGIN_API HostPlugFrame::resizeView(IPlugView* view, ViewRect* newSize) {
    if (view == nullptr || newSize == nullptr) return kInvalidArgument;
    requests_.push_back(*newSize);
    if (!accept_) return kResultFalse;
    if (resizeParent_) resizeParent_(newSize->getWidth(), newSize->getHeight());
    ViewRect size = *newSize;
    view->onSize(&size);
    return kResultTrue;
}

tresult PLUGIN_API HostPlugFrame::queryInterface(const TUID iid, void** obj) {
    if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid) || FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        *obj = static_cast<IPlugFrame*>(this);
        return kResultOk;
    }
    if (offerRunLoop_ && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid)) {
        *obj = static_cast<Linux::IRunLoop*>(&loop_);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}  // namespace halcyra::host
