// The editor's view of the plug-in, owned by the effect for its whole life: parameter
// values from the shared store, edits "as the plug-in" through the frame's parameter
// editor, the audio side's SkyFeed and command queue, and the preset store and A/B
// state, which therefore survive every editor close and reopen. It also fans value
// changes the editor did not make (host automation, state restore, preset recall)
// out to every open view.
#pragma once

#include <string>
#include <vector>

#include "editor/EditorContext.h"
#include "editor/SystemOpener.h"
#include "frame/FrameParameterEditor.h"
#include "plugin/AbCompareState.h"
#include "presets/PresetStore.h"

namespace halcyra {
class HalcyraPlugin;
}

namespace halcyra::vst3 {

class FrameEditorContext final : public EditorContext, public ParameterViewListener {
public:
    FrameEditorContext(HalcyraPlugin& plugin, FrameParameterEditor& parameterEditor);
    ~FrameEditorContext() override;
    FrameEditorContext(const FrameEditorContext&) = delete;
    FrameEditorContext& operator=(const FrameEditorContext&) = delete;

    // EditorContext
    double paramValue(int index) const override;
    ParameterEditor& parameterEditor() override { return parameterEditor_; }
    SkyFeedReader& skyFeedReader() override;
    double sampleRate() const override;
    EditorCommandQueue& commandQueue() override;
    PresetStore& presetStore() override { return presets_; }
    AbCompareState& abCompare() override { return abCompare_; }
    std::string resourcePath(const std::string& name) const override;
    void openWithSystem(const std::string& urlOrPath) override;

    // Open views, user-interface thread only.
    void addView(ParameterViewListener* view);
    void removeView(ParameterViewListener* view);
    std::size_t openViews() const { return views_.size(); }

    // A value changed elsewhere: every open view follows.
    void parameterChanged(int index, double normalized) override;
    // An edit made in one view: the others follow, the one that made it already shows it.
    void parameterChangedBy(const ParameterViewListener* origin, int index, double normalized);

    ParameterStore& store();

private:
    HalcyraPlugin& plugin_;
    FrameParameterEditor& parameterEditor_;
    PresetStore presets_;
    AbCompareState abCompare_;
    SystemOpener opener_;
    std::vector<ParameterViewListener*> views_;
};

}  // namespace halcyra::vst3
