// How much one cloud covers each sky point: a soft-edged disc whose profile blends
// a smoothstep knee with a plain quadratic falloff. Applied cloud by cloud to all
// 128 points, so it vectorises (AVX2 where the CPU has it, bit-identical to the
// plain loop), and each point still sums its clouds in cloud order.
#pragma once

namespace halcyra {

struct CloudDisc {
    double cx = 0, cy = 0;   // displaced centre
    double radius2 = 0;      // squared radius
    double weight = 0;       // fades x opacity x pulse
};

// cover[j] += the cloud's cover of point (x[j], y[j]), for points inside the disc.
void addCloudCover(const CloudDisc& cloud, double softness, const double* x, const double* y, int count, double* cover);
void addCloudCoverScalar(const CloudDisc& cloud, double softness, const double* x, const double* y, int count,
                         double* cover);

}  // namespace halcyra
