// A stand-in for the plug-in as the editor sees it: parameters in a ParameterStore,
// host edits and plug-in edits recorded, the real SkyFeed buffer, command queue,
// preset store (in a temporary folder) and A/B state, and a recording opener.
// It is also the graphics' delegate, so control edits land in the same store.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "graphics/IEditorDelegate.h"
#include "graphics/IGraphics.h"
#include "plugin/ParameterEditor.h"
#include "support/TestEditorContext.h"

namespace halcyra::test {

class FakeEditorContext;

// Edits "as the plug-in": stored, recorded, and shown on the open editor.
class RecordingParameterEditor : public ParameterEditor {
public:
    explicit RecordingParameterEditor(FakeEditorContext& owner) : owner_(owner) {}
    double value(int index) const override;
    double setFromPlugin(int index, double value) override;

    std::vector<int> changed;  // indices in call order

private:
    FakeEditorContext& owner_;
};

class FakeEditorContext : public TestEditorContext, public IEditorDelegate {
public:
    FakeEditorContext() : TestEditorContext("editor-layout") {}

    ParameterEditor& parameterEditor() override { return editor; }

    // IEditorDelegate: what the host hears from the controls.
    void BeginEdit(int paramIdx) override { hostCalls.push_back("begin " + std::to_string(paramIdx)); }
    void SetParameterFromUI(int paramIdx, double normalized) override;
    void EndEdit(int paramIdx) override { hostCalls.push_back("end " + std::to_string(paramIdx)); }
    double GetParamNormalized(int paramIdx) const override { return store.getNormalized(paramIdx); }
    double GetParamDefaultNormalized(int paramIdx) const override;

    // Drains the command queue into a list.
    std::vector<EditorCommand> takeCommands();

    RecordingParameterEditor editor{*this};
    std::vector<std::string> hostCalls;  // "begin 8", "set 8 1", "end 8"
    IGraphics* graphics = nullptr;       // told about plug-in edits when set
};

}  // namespace halcyra::test
