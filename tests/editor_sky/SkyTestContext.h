// A stand-in for the plug-in as the sky view sees it: parameters in a ParameterStore,
// the real SkyFeed triple buffer, command queue and A/B state, a preset store in a
// temporary folder, and a recording opener. Helpers publish snapshots as the audio side does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dsp/stars/EditorCommandQueue.h"
#include "editor/EditorContext.h"
#include "graphics/IColor.h"
#include "plugin/AbCompareState.h"
#include "plugin/ParameterEditor.h"
#include "plugin/ParameterStore.h"
#include "plugin/SkyFeedBuffer.h"
#include "presets/PresetStore.h"

namespace halcyra::test {

class StoreParameterEditor : public ParameterEditor {
public:
    explicit StoreParameterEditor(ParameterStore& store) : store_(store) {}
    double value(int index) const override { return store_.get(index); }
    double setFromPlugin(int index, double value) override {
        store_.set(index, value);
        changed.push_back(index);
        return store_.getNormalized(index);
    }
    std::vector<int> changed;

private:
    ParameterStore& store_;
};

class SkyTestContext : public EditorContext {
public:
    SkyTestContext();
    ~SkyTestContext() override;

    double paramValue(int index) const override { return store.get(index); }
    ParameterEditor& parameterEditor() override { return editor; }
    SkyFeedReader& skyFeedReader() override { return reader; }
    double sampleRate() const override { return rate; }
    EditorCommandQueue& commandQueue() override { return queue; }
    PresetStore& presetStore() override { return *presets; }
    AbCompareState& abCompare() override { return ab; }
    std::string resourcePath(const std::string&) const override { return {}; }
    void openWithSystem(const std::string& urlOrPath) override { opened.push_back(urlOrPath); }

    // Writes a snapshot into the writer's slot and publishes it, as the block driver does.
    SkyFeed& nextSnapshot();
    void publish() { feed.publish(); }

    ParameterStore store;
    StoreParameterEditor editor{store};
    SkyFeedTripleBuffer feed;
    SkyFeedReader reader{feed};
    EditorCommandQueue queue;
    double rate = 48000.0;
    std::string presetFolder;
    std::unique_ptr<PresetStore> presets;
    AbCompareState ab;
    std::vector<std::string> opened;
};

// A fresh snapshot as the driver starts one: no weights, no flashes, records {−1, 0, 0, 0, −120}.
void ResetSnapshot(SkyFeed& s);

std::string Describe(const IColor& c);

}  // namespace halcyra::test
