#include "dsp/stars/CloudCover.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define HALCYRA_HAVE_X86 1
#endif

namespace halcyra {

void addCloudCoverScalar(const CloudDisc& cloud, double softness, const double* x, const double* y, int count,
                         double* cover) {
    const double knee = 0.8 * softness + 0.15;
    for (int j = 0; j < count; ++j) {
        const double dy = y[j] - cloud.cy, dx = x[j] - cloud.cx;
        const double d2 = dy * dy + dx * dx;
        if (d2 < cloud.radius2) {
            const double g = 1.0 - d2 / cloud.radius2;
            const double q = g * g;
            const double k = std::clamp(q / knee, 0.0, 1.0);
            cover[j] += cloud.weight * ((3.0 - 2.0 * k) * k * k * softness / 2.0 + (1.0 - softness / 2.0) * q);
        }
    }
}

#ifdef HALCYRA_HAVE_X86
namespace {

__attribute__((target("avx2"))) void addCloudCoverAvx2(const CloudDisc& cloud, double softness, const double* x,
                                                       const double* y, int count, double* cover) {
    const __m256d cx = _mm256_set1_pd(cloud.cx), cy = _mm256_set1_pd(cloud.cy);
    const __m256d r2 = _mm256_set1_pd(cloud.radius2), weight = _mm256_set1_pd(cloud.weight);
    const __m256d knee = _mm256_set1_pd(0.8 * softness + 0.15);
    const __m256d soft = _mm256_set1_pd(softness);
    const __m256d linear = _mm256_set1_pd(1.0 - softness / 2.0);
    const __m256d one = _mm256_set1_pd(1.0), zero = _mm256_setzero_pd();
    const __m256d two = _mm256_set1_pd(2.0), three = _mm256_set1_pd(3.0);
    int j = 0;
    for (; j + 4 <= count; j += 4) {
        const __m256d dy = _mm256_sub_pd(_mm256_loadu_pd(y + j), cy);
        const __m256d dx = _mm256_sub_pd(_mm256_loadu_pd(x + j), cx);
        const __m256d d2 = _mm256_add_pd(_mm256_mul_pd(dy, dy), _mm256_mul_pd(dx, dx));
        const __m256d inside = _mm256_cmp_pd(d2, r2, _CMP_LT_OQ);
        if (_mm256_movemask_pd(inside) == 0) continue;
        const __m256d g = _mm256_sub_pd(one, _mm256_div_pd(d2, r2));
        const __m256d q = _mm256_mul_pd(g, g);
        const __m256d k = _mm256_min_pd(_mm256_max_pd(_mm256_div_pd(q, knee), zero), one);
        __m256d s = _mm256_mul_pd(_mm256_mul_pd(_mm256_sub_pd(three, _mm256_mul_pd(two, k)), k), k);
        s = _mm256_div_pd(_mm256_mul_pd(s, soft), two);
        const __m256d add = _mm256_mul_pd(weight, _mm256_add_pd(s, _mm256_mul_pd(linear, q)));
        const __m256d c = _mm256_loadu_pd(cover + j);
        _mm256_storeu_pd(cover + j, _mm256_blendv_pd(c, _mm256_add_pd(c, add), inside));
    }
    if (j < count) addCloudCoverScalar(cloud, softness, x + j, y + j, count - j, cover + j);
}

// The CPU model is filled in by a constructor that may run after ours: ask for it first.
const bool kHasAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);

}  // namespace
#endif

void addCloudCover(const CloudDisc& cloud, double softness, const double* x, const double* y, int count, double* cover) {
#ifdef HALCYRA_HAVE_X86
    if (kHasAvx2) {
        addCloudCoverAvx2(cloud, softness, x, y, count, cover);
        return;
    }
#endif
    addCloudCoverScalar(cloud, softness, x, y, count, cover);
}

}  // namespace halcyra
