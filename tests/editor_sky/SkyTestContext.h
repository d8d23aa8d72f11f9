// A stand-in for the plug-in as the sky view sees it: parameters in a ParameterStore,
// the real SkyFeed triple buffer, command queue and A/B state, a preset store in a
// temporary folder, and a recording opener. Helpers publish snapshots as the audio side does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "graphics/IColor.h"
#include "plugin/ParameterEditor.h"
#include "support/TestEditorContext.h"

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

class SkyTestContext : public TestEditorContext {
public:
    SkyTestContext() : TestEditorContext("editor-sky") {}

    ParameterEditor& parameterEditor() override { return editor; }

    // Writes a snapshot into the writer's slot and publishes it, as the block driver does.
    SkyFeed& nextSnapshot();
    void publish() { feed.publish(); }

    StoreParameterEditor editor{store};
};

// A fresh snapshot as the driver starts one: no weights, no flashes, records {−1, 0, 0, 0, −120}.
void ResetSnapshot(SkyFeed& s);

std::string Describe(const IColor& c);

}  // namespace halcyra::test
