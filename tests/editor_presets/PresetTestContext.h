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

#include "dsp/stars/EditorCommandQueue.h"
#include "editor/EditorContext.h"
#include "graphics/IEditorDelegate.h"
#include "graphics/IGraphics.h"
#include "plugin/AbCompareState.h"
#include "plugin/ParameterEditor.h"
#include "plugin/ParameterStore.h"
#include "plugin/SkyFeedBuffer.h"
#include "presets/PresetStore.h"

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

class PresetTestContext : public EditorContext, public IEditorDelegate {
public:
    PresetTestContext();
    ~PresetTestContext() override;

    double paramValue(int index) const override { return store.get(index); }
    ParameterEditor& parameterEditor() override { return editor; }
    SkyFeedReader& skyFeedReader() override { return reader; }
    double sampleRate() const override { return 48000.0; }
    EditorCommandQueue& commandQueue() override { return queue; }
    PresetStore& presetStore() override { return *presets; }
    AbCompareState& abCompare() override { return ab; }
    std::string resourcePath(const std::string& name) const override;
    void openWithSystem(const std::string& urlOrPath) override { opened.push_back(urlOrPath); }

    void BeginEdit(int paramIdx) override { hostCalls.push_back("begin " + std::to_string(paramIdx)); }
    void SetParameterFromUI(int paramIdx, double normalized) override;
    void EndEdit(int paramIdx) override { hostCalls.push_back("end " + std::to_string(paramIdx)); }
    double GetParamNormalized(int paramIdx) const override { return store.getNormalized(paramIdx); }
    double GetParamDefaultNormalized(int paramIdx) const override;

    // Number of sky jumps waiting in the queue (drains it).
    int takeSkyJumps();
    // The preset files in the folder, by file name.
    std::vector<std::string> presetFileNames() const;

    ParameterStore store;
    RecordingParameterEditor editor{*this};
    SkyFeedTripleBuffer feed;
    SkyFeedReader reader{feed};
    EditorCommandQueue queue;
    std::string presetFolder;
    std::unique_ptr<PresetStore> presets;
    AbCompareState ab;
    std::string manualPath;  // what resourcePath answers for "Halcyra-Manual.pdf"
    std::vector<std::string> opened;
    std::vector<std::string> hostCalls;
    IGraphics* graphics = nullptr;  // told about plug-in edits when set
};

}  // namespace halcyra::test
