#include "dsp/stars/MonotoneBinMap.h"

#include <algorithm>

#include "dsp/stars/VectorClones.h"

namespace halcyra {

namespace {

// Hermite segment per bin. Written bin by bin with the segment's knots gathered, so the
// loop vectorises even when peaks are only a few bins apart (noise has one every three).
HALCYRA_VECTOR_CLONES
void evaluateSegments(const int* __restrict segment, const float* __restrict knotX, const float* __restrict knotY,
                      const float* __restrict slope, int bins, float* __restrict position,
                      float* __restrict gradient) {
    for (int b = 0; b < bins; ++b) {
        const int k = segment[b];
        const float x0 = knotX[k], x1 = knotX[k + 1], y0 = knotY[k], y1 = knotY[k + 1];
        const float s0 = slope[k], s1 = slope[k + 1];
        const float x = static_cast<float>(b);
        // Knots climb strictly, so h > 0.
        const float h = x1 - x0;
        const float t = std::clamp((x - x0) / h, 0.0f, 1.0f);
        const float t2 = t * t, t3 = t2 * t;
        const float h00 = 2 * t3 - 3 * t2 + 1, h10 = t3 - 2 * t2 + t, h01 = -2 * t3 + 3 * t2, h11 = t3 - t2;
        const float d00 = 6 * t2 - 6 * t, d10 = 3 * t2 - 4 * t + 1, d01 = -6 * t2 + 6 * t, d11 = 3 * t2 - 2 * t;
        position[b] = h00 * y0 + h10 * h * s0 + h01 * y1 + h11 * h * s1;
        gradient[b] = (d00 * y0 + d01 * y1) / h + d10 * s0 + d11 * s1;
    }
}

}  // namespace

void MonotoneBinMap::prepare(int bins, int maxKnots) {
    bins_ = std::max(bins, 1);
    chord_.assign(static_cast<std::size_t>(std::max(maxKnots, 2)), 0.0f);
    slope_.assign(static_cast<std::size_t>(std::max(maxKnots, 2)), 0.0f);
    segment_.assign(static_cast<std::size_t>(bins_), 0);
    position_.assign(static_cast<std::size_t>(bins_), 0.0f);
    gradient_.assign(static_cast<std::size_t>(bins_), 0.0f);
}

void MonotoneBinMap::build(const float* x, const float* y, int knots) {
    knots = std::clamp(knots, 2, static_cast<int>(slope_.size()));
    float* chord = chord_.data();
    for (int k = 0; k + 1 < knots; ++k) chord[k] = (y[k + 1] - y[k]) / (x[k + 1] - x[k]);
    for (int k = 0; k < knots; ++k) {
        float s;
        if (k == 0) s = chord[0];
        else if (k == knots - 1) s = chord[knots - 2];
        else s = 1.0f;
        if (k > 0) s = std::min(s, 3.0f * std::max(chord[k - 1], 0.0f));
        if (k < knots - 1) s = std::min(s, 3.0f * std::max(chord[k], 0.0f));
        slope_[static_cast<std::size_t>(k)] = std::max(s, 0.0f);
    }

    // A bin's segment is the number of interior knots strictly left of it (a bin on a
    // knot belongs to the segment ending there): count each knot at the first bin past
    // it, then sum up. No branch per bin, however dense the knots.
    int* segment = segment_.data();
    std::fill_n(segment, bins_, 0);
    for (int k = 1; k + 1 < knots; ++k) {
        const int firstPast = static_cast<int>(x[k]) + 1;  // x[k] > 0
        if (firstPast < bins_) ++segment[firstPast];
    }
    for (int b = 1; b < bins_; ++b) segment[b] += segment[b - 1];
    evaluateSegments(segment, x, y, slope_.data(), bins_, position_.data(), gradient_.data());
}

}  // namespace halcyra
