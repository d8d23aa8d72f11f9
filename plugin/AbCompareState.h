// Two parameter snapshots the user flips between with the A/B control. It lives in
// the plug-in object, so it outlasts the editor and every editor opened on the
// instance shares it. The listening-setup parameters (Monitor, Events, Output,
// Response Mode, Attack, Decay, Star Mix) are never switched: comparing two sounds
// should not also flip the speakers, the meter level or the star envelope.
// User-interface thread only.
#pragma once

#include <array>
#include <vector>

#include "plugin/ParameterEditor.h"
#include "plugin/Parameters.h"

namespace halcyra {

class AbCompareState {
public:
    static constexpr int kSlotA = 0;
    static constexpr int kSlotB = 1;

    // Run by every editor layout: the first one captures both slots from the live
    // parameters; later editors find them valid and keep them. (The excluded set is
    // fixed, see isExcluded, so there is nothing else to prepare.)
    void setUp(const ParameterEditor& params);

    // Copies every live parameter value into the slot and marks it valid.
    void capture(int slot, const ParameterEditor& params);

    // Switches to `slot`: the slot being left takes the live values, the target's
    // values (or, the first time, a copy of the slot being left) are applied
    // through `params` so host and editor hear of each change.
    void select(int slot, ParameterEditor& params);

    // "A>B": B becomes a copy of A. The live parameters stay as they are.
    void copyAToB(const ParameterEditor& params);

    int current() const { return current_; }
    bool valid(int slot) const { return isSlot(slot) && valid_[slot]; }
    // Plain values in parameter order (empty until the slot is first captured).
    const std::vector<double>& snapshot(int slot) const;

    static bool isExcluded(int paramIndex);

private:
    static bool isSlot(int slot) { return slot == kSlotA || slot == kSlotB; }

    std::array<std::vector<double>, 2> snapshots_;
    std::array<bool, 2> valid_{false, false};
    int current_ = kSlotA;
};

}  // namespace halcyra
