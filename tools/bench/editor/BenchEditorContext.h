// The plug-in as the editor benchmarks see it: parameters in a store, the real SkyFeed
// triple buffer (the benchmark plays the audio side), and presets in a folder of its own.
#pragma once

#include <string>

#include "dsp/stars/EditorCommandQueue.h"
#include "editor/EditorContext.h"
#include "graphics/IEditorDelegate.h"
#include "plugin/AbCompareState.h"
#include "plugin/ParameterEditor.h"
#include "plugin/ParameterStore.h"
#include "plugin/Parameters.h"
#include "plugin/SkyFeedBuffer.h"
#include "presets/PresetStore.h"

namespace halcyra {

class BenchEditorContext : public EditorContext, public ParameterEditor, public IEditorDelegate {
public:
    explicit BenchEditorContext(const std::string& folder) : store_(folder) {}

    double paramValue(int index) const override { return params_.get(index); }
    ParameterEditor& parameterEditor() override { return *this; }
    SkyFeedReader& skyFeedReader() override { return reader_; }
    double sampleRate() const override { return 48000.0; }
    EditorCommandQueue& commandQueue() override { return queue_; }
    PresetStore& presetStore() override { return store_; }
    AbCompareState& abCompare() override { return ab_; }
    std::string resourcePath(const std::string&) const override { return {}; }
    void openWithSystem(const std::string&) override {}

    double value(int index) const override { return params_.get(index); }
    double setFromPlugin(int index, double value) override { return toNormalized(index, params_.set(index, value)); }

    void BeginEdit(int) override {}
    void SetParameterFromUI(int index, double normalized) override { params_.setNormalized(index, normalized); }
    void EndEdit(int) override {}
    double GetParamNormalized(int index) const override { return params_.getNormalized(index); }
    double GetParamDefaultNormalized(int index) const override { return toNormalized(index, paramInfo(index).defaultValue); }

    // The audio side's end of the feed.
    SkyFeedTripleBuffer& feed() { return feed_; }

private:
    ParameterStore params_;
    SkyFeedTripleBuffer feed_;
    SkyFeedReader reader_{feed_};
    EditorCommandQueue queue_;
    PresetStore store_;
    AbCompareState ab_;
};

}  // namespace halcyra
