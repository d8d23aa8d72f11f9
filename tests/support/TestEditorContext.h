// The parts of a stand-in plug-in that every editor test shares: parameters in a
// ParameterStore, the real SkyFeed triple buffer and command queue, the A/B state, a
// PresetStore in its own temporary folder, a manual path that can be made to exist
// or not, and a recording opener. Each test's fake adds how it records edits.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dsp/stars/EditorCommandQueue.h"
#include "editor/EditorContext.h"
#include "plugin/AbCompareState.h"
#include "plugin/ParameterStore.h"
#include "plugin/SkyFeedBuffer.h"
#include "presets/PresetStore.h"

namespace halcyra::test {

class TestEditorContext : public EditorContext {
public:
    // `folderTag` names the temporary preset folder ("halcyra-<tag>-<random>").
    explicit TestEditorContext(const std::string& folderTag);
    ~TestEditorContext() override;

    double paramValue(int index) const override { return store.get(index); }
    SkyFeedReader& skyFeedReader() override { return reader; }
    double sampleRate() const override { return rate; }
    EditorCommandQueue& commandQueue() override { return queue; }
    PresetStore& presetStore() override { return *presets; }
    AbCompareState& abCompare() override { return ab; }
    std::string resourcePath(const std::string& name) const override;
    void openWithSystem(const std::string& urlOrPath) override { opened.push_back(urlOrPath); }

    ParameterStore store;
    SkyFeedTripleBuffer feed;
    SkyFeedReader reader{feed};
    EditorCommandQueue queue;
    double rate = 48000.0;
    std::string presetFolder;
    std::unique_ptr<PresetStore> presets;
    AbCompareState ab;
    std::string manualPath;  // what resourcePath answers for "Halcyra-Manual.pdf"; empty = missing
    std::vector<std::string> opened;
};

}  // namespace halcyra::test
