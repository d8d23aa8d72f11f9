#include "dsp/stars/HrirSourceNeighbours.h"

#include <mysofa.h>

#include <algorithm>
#include <cfloat>

namespace halcyra {

namespace {

// How far the search moves along an angle before it gives up.
constexpr float kWidestAngle = 45.0f;

// Moves away from a measurement along one spherical coordinate in equal steps until
// the nearest measurement is another one; -1 when the search gives up first: along an
// angle 45 degrees away, along the radius one step beyond the set's range (limit).
// The arithmetic is kept in float and in the reader's order, so every step lands
// where the reader's own search lands.
int firstOtherAlong(MYSOFA_LOOKUP& lookup, const float origin[3], int index, int axis, float step, float limit) {
    const bool angle = axis < 2;
    float offset = step;
    bool more = true;
    do {
        float probe[3] = {origin[0], origin[1], origin[2]};
        const float reached = probe[axis] = origin[axis] + offset;
        mysofa_s2c(probe);
        const int found = mysofa_lookup(&lookup, probe);
        if (found != index) return found;
        offset += step;
        if (angle)
            more = step > 0.0f ? offset <= kWidestAngle : offset >= -kWidestAngle;
        else
            more = step > 0.0f ? reached <= limit : reached >= limit;
    } while (more);
    return -1;
}

}  // namespace

void measurementNeighbours(MYSOFA_LOOKUP& lookup, const float* position, int index, int out[6]) {
    std::fill_n(out, 6, -1);
    float origin[3] = {position[0], position[1], position[2]};
    mysofa_c2s(origin);
    const auto searchAxis = [&](int axis, float low, float high, float step) {
        if (!(high - low > FLT_MIN)) return;  // every measurement shares this coordinate
        out[2 * axis] = firstOtherAlong(lookup, origin, index, axis, step, high + step);
        out[2 * axis + 1] = firstOtherAlong(lookup, origin, index, axis, -step, low - step);
    };
    searchAxis(0, lookup.phi_min, lookup.phi_max, MYSOFA_DEFAULT_NEIGH_STEP_ANGLE);
    searchAxis(1, lookup.theta_min, lookup.theta_max, MYSOFA_DEFAULT_NEIGH_STEP_ANGLE);
    searchAxis(2, lookup.radius_min, lookup.radius_max, MYSOFA_DEFAULT_NEIGH_STEP_RADIUS);
}

}  // namespace halcyra
