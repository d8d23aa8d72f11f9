#include "frame/view/HostEditDelegate.h"

#include "frame/FrameEditorContext.h"
#include "plugin/Parameters.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace halcyra::vst3 {

namespace {
bool isEditorParameter(int index) { return index >= 0 && index < kNumParams; }
Steinberg::Vst::ParamID idOf(int index) { return static_cast<Steinberg::Vst::ParamID>(index); }
}  // namespace

HostEditDelegate::HostEditDelegate(Steinberg::Vst::EditController& host, FrameEditorContext& context,
                                   const ParameterViewListener* ownView)
    : host_(host), context_(context), ownView_(ownView) {}

void HostEditDelegate::BeginEdit(int paramIdx) {
    if (isEditorParameter(paramIdx)) host_.beginEdit(idOf(paramIdx));
}

void HostEditDelegate::SetParameterFromUI(int paramIdx, double normalized) {
    if (!isEditorParameter(paramIdx)) return;
    ParameterStore& store = context_.store();
    store.setNormalized(paramIdx, normalized);  // non-finite input keeps the old value
    // The host hears the stored (snapped, clamped) value, not the raw drag position.
    const double stored = store.getNormalized(paramIdx);
    host_.performEdit(idOf(paramIdx), stored);
    context_.parameterChangedBy(ownView_, paramIdx, stored);
}

void HostEditDelegate::EndEdit(int paramIdx) {
    if (isEditorParameter(paramIdx)) host_.endEdit(idOf(paramIdx));
}

double HostEditDelegate::GetParamNormalized(int paramIdx) const {
    return isEditorParameter(paramIdx) ? context_.store().getNormalized(paramIdx) : 0.0;
}

double HostEditDelegate::GetParamDefaultNormalized(int paramIdx) const {
    return isEditorParameter(paramIdx) ? toNormalized(paramIdx, paramInfo(paramIdx).defaultValue) : 0.0;
}

}  // namespace halcyra::vst3
