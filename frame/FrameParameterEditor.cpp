#include "frame/FrameParameterEditor.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

namespace halcyra::vst3 {

FrameParameterEditor::FrameParameterEditor(ParameterStore& store, Steinberg::Vst::EditController& host)
    : store_(store), host_(host) {}

double FrameParameterEditor::value(int index) const {
    if (index < 0 || index >= kNumParams) return 0.0;
    return store_.get(index);
}

double FrameParameterEditor::setFromPlugin(int index, double value) {
    if (index < 0 || index >= kNumParams) return 0.0;
    store_.set(index, value);  // a non-finite value is refused; the current one is re-announced
    const double normalized = store_.getNormalized(index);
    const auto id = static_cast<Steinberg::Vst::ParamID>(index);
    host_.beginEdit(id);
    host_.performEdit(id, normalized);
    host_.endEdit(id);
    if (view_) view_->parameterChanged(index, normalized);
    return normalized;
}

void FrameParameterEditor::refreshView() const {
    if (!view_) return;
    for (int i = 0; i < kNumParams; ++i) view_->parameterChanged(i, store_.getNormalized(i));
}

}  // namespace halcyra::vst3
