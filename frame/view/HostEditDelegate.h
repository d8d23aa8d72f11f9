// What the editor's controls do to the host: a knob press, drag and release become the
// host's begin / perform / end edit, with the value stored first so the next audio
// block already hears it; other open views follow the change.
#pragma once

#include "graphics/IEditorDelegate.h"

namespace Steinberg::Vst {
class EditController;
}

namespace halcyra::vst3 {

class FrameEditorContext;
class ParameterViewListener;

class HostEditDelegate final : public IEditorDelegate {
public:
    HostEditDelegate(Steinberg::Vst::EditController& host, FrameEditorContext& context,
                     const ParameterViewListener* ownView);

    void BeginEdit(int paramIdx) override;
    void SetParameterFromUI(int paramIdx, double normalized) override;
    void EndEdit(int paramIdx) override;
    double GetParamNormalized(int paramIdx) const override;
    double GetParamDefaultNormalized(int paramIdx) const override;

private:
    Steinberg::Vst::EditController& host_;
    FrameEditorContext& context_;
    const ParameterViewListener* ownView_;
};

}  // namespace halcyra::vst3
