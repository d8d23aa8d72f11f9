// Test double of the frame's ParameterEditor: stores values like the real parameter
// objects (snapped, clamped, non-finite refused) and logs what the host and the editor
// would hear for every change, in order.
#pragma once

#include <functional>
#include <vector>

#include "plugin/ParameterEditor.h"
#include "plugin/ParameterStore.h"

namespace halcyra::test {

struct Notification {
    enum Kind { HostBegin, HostValue, HostEnd, Editor } kind;
    int index;
    double normalized;
    bool operator==(const Notification&) const = default;
};

class RecordingParameterEditor : public ParameterEditor {
public:
    double value(int index) const override { return forced_[index] ? forcedValue_[index] : store_.get(index); }

    double setFromPlugin(int index, double value) override {
        forced_[index] = false;
        store_.set(index, value);
        const double n = store_.getNormalized(index);
        log.push_back({Notification::HostBegin, index, 0.0});
        log.push_back({Notification::HostValue, index, n});
        log.push_back({Notification::HostEnd, index, 0.0});
        log.push_back({Notification::Editor, index, n});
        changedIndices.push_back(index);
        requestedValues.push_back(value);
        if (onChange) onChange(index);
        return n;
    }

    // Sets a value without any notification, as a restored state would.
    void preset(int index, double value) { store_.set(index, value); }
    // Makes value() report something no real parameter could hold.
    void forceRaw(int index, double value) {
        forced_[index] = true;
        forcedValue_[index] = value;
    }

    std::vector<Notification> log;
    std::vector<int> changedIndices;
    std::vector<double> requestedValues;
    std::function<void(int)> onChange;

private:
    ParameterStore store_;
    bool forced_[kNumParams]{};
    double forcedValue_[kNumParams]{};
};

}  // namespace halcyra::test
