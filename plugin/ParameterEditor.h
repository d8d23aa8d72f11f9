// How preset recall, user preset loading and the editor change parameters "as the
// plug-in": the value is stored (snapped and clamped), the host is told with a
// begin / value / end edit, and an open editor is told too. The frame implements it.
#pragma once

namespace halcyra {

class ParameterEditor {
public:
    virtual ~ParameterEditor() = default;
    // Current value in the parameter's own units.
    virtual double value(int index) const = 0;
    // Stores the value and notifies host and editor; returns the stored normalised value.
    // Non-finite values are ignored (the current value stays and is re-announced).
    virtual double setFromPlugin(int index, double value) = 0;
};

}  // namespace halcyra
