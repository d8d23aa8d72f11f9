// A stand-in for the plug-in as the preset panel, the header and the burger menu see
// it: parameters in a ParameterStore, plug-in edits recorded and passed on to the
// editor, the real command queue, A/B state and a PresetStore in a temporary folder,
// a manual path that can be made to exist or not, and a recording opener.
// It is also the graphics' delegate, so control edits land in the same store.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graphics/IEditorDelegate.h"
#include "graphics/IGraphics.h"
#include "plugin/ParameterEditor.h"
#include "support/TestEditorContext.h"

namespace halcyra::test {

class PresetTestContext;

class RecordingParameterEditor : public ParameterEditor {
public:
    explicit RecordingParameterEditor(PresetTestContext& owner) : owner_(owner) {}
    double value(int index) const override;
    double setFromPlugin(int index, double value) override;

    std::vector<std::pair<int, double>> calls;  // (index, value asked for), in order

private:
    PresetTestContext& owner_;
};

class PresetTestContext : public TestEditorContext, public IEditorDelegate {
public:
    PresetTestContext() : TestEditorContext("editor-presets") {}

    ParameterEditor& parameterEditor() override { return editor; }

    void BeginEdit(int paramIdx) override { hostCalls.push_back("begin " + std::to_string(paramIdx)); }
    void SetParameterFromUI(int paramIdx, double normalized) override;
    void EndEdit(int paramIdx) override { hostCalls.push_back("end " + std::to_string(paramIdx)); }
    double GetParamNormalized(int paramIdx) const override { return store.getNormalized(paramIdx); }
    double GetParamDefaultNormalized(int paramIdx) const override;

    // Number of sky jumps waiting in the queue (drains it).
    int takeSkyJumps();
    // The preset files in the folder, by file name.
    std::vector<std::string> presetFileNames() const;

    RecordingParameterEditor editor{*this};
    std::vector<std::string> hostCalls;
    IGraphics* graphics = nullptr;  // told about plug-in edits when set
};

}  // namespace halcyra::test
