// Parameter values shared between threads: twenty 64-bit words, each replaced
// atomically by whoever edits it (host, editor, presets) and read whole by the
// audio thread. No locks: a reader sees either the old or the new value.
#pragma once

#include <array>
#include <atomic>

#include "plugin/Parameters.h"

namespace halcyra {

class ParameterStore {
public:
    ParameterStore() { resetToDefaults(); }

    void resetToDefaults() {
        for (int i = 0; i < kNumParams; ++i) values_[i].store(paramInfo(i).defaultValue, std::memory_order_relaxed);
    }

    double get(int index) const { return values_[index].load(std::memory_order_relaxed); }

    // Stores a value in own units after snapping and clamping. A non-finite value is
    // refused and the current value kept; returns the value now held.
    double set(int index, double value) {
        if (!isAcceptableValue(value)) return get(index);
        const double v = constrainValue(index, value);
        values_[index].store(v, std::memory_order_relaxed);
        return v;
    }

    double getNormalized(int index) const { return toNormalized(index, get(index)); }
    double setNormalized(int index, double normalized) {
        if (!isAcceptableValue(normalized)) return get(index);
        return set(index, fromNormalized(index, normalized));
    }

private:
    std::array<std::atomic<double>, kNumParams> values_;
    static_assert(std::atomic<double>::is_always_lock_free, "parameter words must be lock-free");
};

}  // namespace halcyra
