// sin(2π·c) for c in [0, 1), inlined for the ~17 modulated reads per sample.
// A library sinf call there costs a call and register spills each time; this
// folds c to a quarter wave and uses the odd Taylor series to x^11 (truncation
// below 6e-8), staying within 1e-6 of std::sin everywhere on [0, 1).
#pragma once

namespace halcyra {

inline float sineOfCycles(float c) {
    // Fold onto [-0.25, 0.25]: sin(2π·c) = sin(2π·(c - 1)) = sin(2π·(±0.5 - c)).
    if (c >= 0.5f) c -= 1.0f;
    if (c > 0.25f) c = 0.5f - c;
    if (c < -0.25f) c = -0.5f - c;
    const float x = c * 6.2831855f;
    const float x2 = x * x;
    float p = -2.5052108e-8f;         // -1/11!
    p = p * x2 + 2.7557319e-6f;       //  1/9!
    p = p * x2 - 1.9841270e-4f;       // -1/7!
    p = p * x2 + 8.3333333e-3f;       //  1/5!
    p = p * x2 - 1.6666667e-1f;       // -1/3!
    return x + x * x2 * p;
}

}  // namespace halcyra
