#include "editor/SkyBackdrop.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace halcyra {

namespace {

// Square roots in place, four at a time where SSE is there: a loop around std::sqrt
// does not vectorise while the call may set errno.
void SqrtInPlace(float* v, int n) {
    int i = 0;
#if defined(__SSE__)
    for (; i + 4 <= n; i += 4) _mm_storeu_ps(v + i, _mm_sqrt_ps(_mm_loadu_ps(v + i)));
#endif
    for (; i < n; ++i) v[i] = std::sqrt(v[i]);
}

// Clamped to 0..1 without comparisons, so that loops around it vectorise (GCC keeps
// min/max branches while floating-point comparisons may trap).
float Saturate(float x) { return 0.5f * (std::fabs(x) - std::fabs(x - 1.0f) + 1.0f); }

}  // namespace

void SkyBackdrop::Begin(const IRECT& area, float scale) {
    mArea = area;
    const auto pixels = [scale](float units) {
        return std::max(1, static_cast<int>(std::ceil(units * scale / static_cast<float>(kReduction))));
    };
    mWidth = area.Empty() ? 0 : pixels(area.W());
    mHeight = area.Empty() ? 0 : pixels(area.H());
    mStepX = mWidth > 0 ? area.W() / static_cast<float>(mWidth) : 1.0f;
    mStepY = mHeight > 0 ? area.H() / static_cast<float>(mHeight) : 1.0f;
    const std::size_t n = static_cast<std::size_t>(mWidth) * static_cast<std::size_t>(mHeight);
    mRed.assign(n, 0.0f);
    mGreen.assign(n, 0.0f);
    mBlue.assign(n, 0.0f);
}

void SkyBackdrop::Span(float lo, float hi, float origin, float step, int count, int& first, int& last) {
    first = std::max(0, static_cast<int>(std::ceil((lo - origin) / step - 0.5f)));
    last = std::min(count - 1, static_cast<int>(std::floor((hi - origin) / step - 0.5f)));
}

void SkyBackdrop::FillVerticalGradient(const IColor& top, const IColor& bottom) {
    for (int j = 0; j < mHeight; ++j) {
        const float t = std::clamp((Y(j) - mArea.T) / mArea.H(), 0.0f, 1.0f);
        const auto mix = [t](int a, int b) { return static_cast<float>(a) + (static_cast<float>(b - a)) * t; };
        const std::size_t row = static_cast<std::size_t>(j) * static_cast<std::size_t>(mWidth);
        std::fill_n(mRed.begin() + static_cast<std::ptrdiff_t>(row), mWidth, mix(top.R, bottom.R));
        std::fill_n(mGreen.begin() + static_cast<std::ptrdiff_t>(row), mWidth, mix(top.G, bottom.G));
        std::fill_n(mBlue.begin() + static_cast<std::ptrdiff_t>(row), mWidth, mix(top.B, bottom.B));
    }
}

void SkyBackdrop::FillRadialGlow(float cx, float cy, float radius, const IColor& centre) {
    const float alpha = static_cast<float>(centre.A) / 255.0f;
    if (!(alpha > 0.0f) || !(radius > 0.0f) || !std::isfinite(cx) || !std::isfinite(cy)) return;
    int i0, i1, j0, j1;
    Span(cx - radius, cx + radius, mArea.L, mStepX, mWidth, i0, i1);
    Span(cy - radius, cy + radius, mArea.T, mStepY, mHeight, j0, j1);
    if (i1 < i0) return;
    mRow.resize(static_cast<std::size_t>(mWidth));
    float* dist = mRow.data();
    const float r = static_cast<float>(centre.R), g = static_cast<float>(centre.G), b = static_cast<float>(centre.B);
    const float x0 = X(0), step = mStepX;
    for (int j = j0; j <= j1; ++j) {
        const float dy = Y(j) - cy;
        for (int i = i0; i <= i1; ++i) {
            const float dx = x0 + static_cast<float>(i) * step - cx;
            dist[i] = dx * dx + dy * dy;
        }
        SqrtInPlace(dist + i0, i1 - i0 + 1);
        float* red = mRed.data() + static_cast<std::size_t>(j) * static_cast<std::size_t>(mWidth);
        float* green = mGreen.data() + (red - mRed.data());
        float* blue = mBlue.data() + (red - mRed.data());
        for (int i = i0; i <= i1; ++i) {
            const float a = alpha * Saturate(1.0f - dist[i] / radius);
            red[i] += (r - red[i]) * a;
            green[i] += (g - green[i]) * a;
            blue[i] += (b - blue[i]) * a;
        }
    }
}

void SkyBackdrop::FillDiscs(float cx, float cy, const IColor& colour, std::span<const Disc> discs) {
    if (!std::isfinite(cx) || !std::isfinite(cy)) return;
    // Coverage runs from 1 to 0 across one image pixel centred on the edge, as
    // antialiasing would at this resolution. Near the edge r − d ≈ (r² − d²) / 2r
    // (off by (r − d)² / 2r, far below a level step for these radii), which
    // spares a square root per pixel and lets the loops vectorise.
    const float edge = std::max(mStepX, mStepY);
    float reach = 0.0f;
    for (const Disc& d : discs) {
        if (d.opacity > 0.0f && d.radius > 0.0f) reach = std::max(reach, d.radius + 0.5f * edge);
    }
    if (!(reach > 0.0f)) return;
    int i0, i1, j0, j1;
    Span(cx - reach, cx + reach, mArea.L, mStepX, mWidth, i0, i1);
    Span(cy - reach, cy + reach, mArea.T, mStepY, mHeight, j0, j1);
    if (i1 < i0) return;
    mRow.resize(static_cast<std::size_t>(mWidth));
    float* keep = mRow.data();  // how much of what lies beneath shows through
    const float r = static_cast<float>(colour.R), g = static_cast<float>(colour.G), b = static_cast<float>(colour.B);
    const float x0 = X(0), step = mStepX;
    for (int j = j0; j <= j1; ++j) {
        const float dy = Y(j) - cy;
        std::fill(keep + i0, keep + i1 + 1, 1.0f);
        for (const Disc& d : discs) {
            if (!(d.opacity > 0.0f) || !(d.radius > 0.0f)) continue;
            const float outer = d.radius + 0.5f * edge;
            if (std::fabs(dy) >= outer) continue;
            int a0, a1;
            const float half = std::sqrt(outer * outer - dy * dy);
            Span(cx - half, cx + half, mArea.L, mStepX, mWidth, a0, a1);
            const float r2 = d.radius * d.radius - dy * dy;
            const float scale = 1.0f / (2.0f * d.radius * edge);
            const float opacity = std::min(d.opacity, 1.0f);
            for (int i = a0; i <= a1; ++i) {
                const float dx = x0 + static_cast<float>(i) * step - cx;
                keep[i] *= 1.0f - opacity * Saturate((r2 - dx * dx) * scale + 0.5f);
            }
        }
        float* red = mRed.data() + static_cast<std::size_t>(j) * static_cast<std::size_t>(mWidth);
        float* green = mGreen.data() + (red - mRed.data());
        float* blue = mBlue.data() + (red - mRed.data());
        for (int i = i0; i <= i1; ++i) {
            red[i] = r + (red[i] - r) * keep[i];
            green[i] = g + (green[i] - g) * keep[i];
            blue[i] = b + (blue[i] - b) * keep[i];
        }
    }
}

void SkyBackdrop::End() {
    mImage.Resize(mWidth, mHeight);
    if (mImage.Empty()) return;
    std::uint8_t* out = mImage.Pixels();
    const auto byte = [](float v) { return static_cast<std::uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
    for (std::size_t k = 0; k < mRed.size(); ++k) {
        out[4 * k + 0] = byte(mRed[k]);
        out[4 * k + 1] = byte(mGreen[k]);
        out[4 * k + 2] = byte(mBlue[k]);
        out[4 * k + 3] = 255;
    }
}

}  // namespace halcyra
