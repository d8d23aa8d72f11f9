#include "tools/host/HostEditor.h"

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "tools/host/HostError.h"

namespace halcyra::host {

using namespace Steinberg;

HostEditor::HostEditor(Vst::IEditController& controller, HostPlugFrame::ParentResizer resizeParent)
    : loop_(std::make_unique<HostRunLoop>()), frame_(std::make_unique<HostPlugFrame>(*loop_, std::move(resizeParent))) {
    view_ = owned(controller.createView(Vst::ViewType::kEditor));
    if (!view_) throw HostError("the effect has no editor");
    if (view_->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID) != kResultTrue) {
        view_ = nullptr;
        throw HostError("the effect's editor cannot embed in an X11 window");
    }
    view_->setFrame(frame_.get());
}

HostEditor::~HostEditor() { close(); }

tresult HostEditor::attach(unsigned long parent) {
    if (!view_ || attached_) return kResultFalse;
    const tresult r = view_->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID);
    attached_ = r == kResultOk || r == kResultTrue;
    return r;
}

void HostEditor::close() {
    if (!view_) return;
    if (attached_) view_->removed();
    attached_ = false;
    view_->setFrame(nullptr);
    view_ = nullptr;
}

ViewRect HostEditor::size() const {
    ViewRect r;
    if (view_) view_->getSize(&r);
    return r;
}

bool HostEditor::setContentScale(float factor) {
    if (!view_) return false;
    FUnknownPtr<IPlugViewContentScaleSupport> scaling(view_.get());
    return scaling && scaling->setContentScaleFactor(factor) == kResultTrue;
}

}  // namespace halcyra::host
