#include "plugin/Parameters.h"

#include <algorithm>
#include <cmath>

namespace halcyra {

bool isAcceptableValue(double value) { return std::isfinite(value); }

double constrainValue(int index, double value) {
    const ParamInfo& p = paramInfo(index);
    if (isStepped(p)) {
        const double steps = std::round((value - p.minimum) / p.step);  // halves away from zero
        value = p.minimum + steps * p.step;
    }
    return std::clamp(value, p.minimum, p.maximum);
}

double toNormalized(int index, double value) {
    const ParamInfo& p = paramInfo(index);
    return (value - p.minimum) / (p.maximum - p.minimum);
}

double fromNormalized(int index, double normalized) {
    const ParamInfo& p = paramInfo(index);
    normalized = std::clamp(normalized, 0.0, 1.0);
    return constrainValue(index, p.minimum + normalized * (p.maximum - p.minimum));
}

int findParam(std::string_view name) {
    for (const ParamInfo& p : kParams)
        if (p.name == name) return p.index;
    return -1;
}

}  // namespace halcyra
