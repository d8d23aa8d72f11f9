// Output bin -> input bin map of the shimmer shifter: a monotone cubic through a set of
// knots, evaluated at every whole output bin together with its gradient. Interior knots
// get slope 1, so a shifted partial keeps its spectral shape; the end knots take their
// chord; all slopes are Fritsch-Carlson limited so the map never turns back.
#pragma once

#include <vector>

namespace halcyra {

class MonotoneBinMap {
public:
    // Room for up to maxKnots knots over bins output bins.
    void prepare(int bins, int maxKnots);

    // Knot k sits at output bin x[k], input bin y[k]; x climbs strictly from 0 to bins - 1.
    void build(const float* x, const float* y, int knots);

    const float* position() const { return position_.data(); }
    const float* gradient() const { return gradient_.data(); }
    // Per output bin, the left knot of its segment: bin b lies in (x[k], x[k + 1]].
    const int* segment() const { return segment_.data(); }

private:
    int bins_ = 0;
    std::vector<float> chord_, slope_;
    std::vector<int> segment_;  // left knot of each output bin's segment
    std::vector<float> position_, gradient_;
};

}  // namespace halcyra
