// Changes made "as the plug-in" (preset recall, user presets, later the editor): store
// the value, tell the host with a begin / perform / end edit, then tell an open view.
#pragma once

#include "plugin/ParameterEditor.h"
#include "plugin/ParameterStore.h"

namespace Steinberg::Vst {
class EditController;
}

namespace halcyra::vst3 {

// Implemented by an open editor view to follow changes it did not make itself.
class ParameterViewListener {
public:
    virtual ~ParameterViewListener() = default;
    virtual void parameterChanged(int index, double normalized) = 0;
};

class FrameParameterEditor final : public ParameterEditor {
public:
    FrameParameterEditor(ParameterStore& store, Steinberg::Vst::EditController& host);

    double value(int index) const override;
    double setFromPlugin(int index, double value) override;

    // User-interface thread only, like every call of this class.
    void setViewListener(ParameterViewListener* listener) { view_ = listener; }

    // Shows every current value in an open view (after a state restore).
    void refreshView() const;

private:
    ParameterStore& store_;
    Steinberg::Vst::EditController& host_;
    ParameterViewListener* view_ = nullptr;
};

}  // namespace halcyra::vst3
