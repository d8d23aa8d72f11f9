#include "editor/SpriteSheet.h"

#include <algorithm>
#include <cmath>

namespace halcyra {

void SpriteSheet::Begin(int capacity, float extent, float scale) {
    mScale = scale > 0.0f ? scale : 1.0f;
    mCapacity = std::max(capacity, 0);
    // One pixel spare for the centre's fraction and one for antialiasing.
    mSlot = static_cast<int>(std::ceil(2.0f * std::max(extent, 0.0f) * mScale)) + 2;
    mParts.clear();
    mPixels.clear();
}

bool SpriteSheet::NextSprite(float x, float y) {
    if (static_cast<int>(mParts.size()) >= mCapacity || !std::isfinite(x) || !std::isfinite(y)) return false;
    const int index = static_cast<int>(mParts.size());
    mOriginX = static_cast<int>(std::floor(x * mScale)) - mSlot / 2;
    mOriginY = static_cast<int>(std::floor(y * mScale)) - mSlot / 2;
    const auto unit = [this](int px) { return static_cast<float>(px) / mScale; };
    mParts.push_back({{0, index * mSlot, mSlot, (index + 1) * mSlot},
                      {unit(mOriginX), unit(mOriginY), unit(mOriginX + mSlot), unit(mOriginY + mSlot)}});
    mPixels.resize(mPixels.size() + static_cast<std::size_t>(mSlot) * static_cast<std::size_t>(mSlot) * 4, 0.0f);
    return true;
}

template <typename Cover>
void SpriteSheet::Paint(const IColor& c, float x0, float y0, float x1, float y1, Cover cover) {
    const float alpha = static_cast<float>(std::clamp(c.A, 0, 255)) / 255.0f;
    if (mParts.empty() || !(alpha > 0.0f)) return;
    // Bounds in surface pixels, clipped to the slot.
    const int i0 = std::max(static_cast<int>(std::floor(x0 * mScale)) - 1, mOriginX);
    const int i1 = std::min(static_cast<int>(std::ceil(x1 * mScale)) + 1, mOriginX + mSlot);
    const int j0 = std::max(static_cast<int>(std::floor(y0 * mScale)) - 1, mOriginY);
    const int j1 = std::min(static_cast<int>(std::ceil(y1 * mScale)) + 1, mOriginY + mSlot);
    const float r = static_cast<float>(c.R), g = static_cast<float>(c.G), b = static_cast<float>(c.B);
    float* slot = mPixels.data() + (mParts.size() - 1) * static_cast<std::size_t>(mSlot) * mSlot * 4;
    for (int j = j0; j < j1; ++j) {
        float* row = slot + static_cast<std::size_t>(j - mOriginY) * mSlot * 4;
        for (int i = i0; i < i1; ++i) {
            const float a = alpha * cover(static_cast<float>(i) + 0.5f, static_cast<float>(j) + 0.5f);
            if (!(a > 0.0f)) continue;
            float* p = row + static_cast<std::size_t>(i - mOriginX) * 4;
            p[0] = r * a + p[0] * (1.0f - a);
            p[1] = g * a + p[1] * (1.0f - a);
            p[2] = b * a + p[2] * (1.0f - a);
            p[3] = 255.0f * a + p[3] * (1.0f - a);
        }
    }
}

void SpriteSheet::FillCircle(const IColor& c, float cx, float cy, float r) {
    if (!(r > 0.0f)) return;
    const float px = cx * mScale, py = cy * mScale, pr = r * mScale;
    Paint(c, cx - r, cy - r, cx + r, cy + r, [=](float x, float y) {
        return std::clamp(pr - std::hypot(x - px, y - py) + 0.5f, 0.0f, 1.0f);
    });
}

void SpriteSheet::DrawLine(const IColor& c, float x1, float y1, float x2, float y2, float thickness) {
    const float ax = x1 * mScale, ay = y1 * mScale, bx = x2 * mScale, by = y2 * mScale;
    const float length = std::hypot(bx - ax, by - ay);
    const float half = 0.5f * thickness * mScale;
    if (!(length > 0.0f) || !(half > 0.0f)) return;
    const float ux = (bx - ax) / length, uy = (by - ay) / length;
    const float reach = 0.5f * thickness;
    Paint(c, std::min(x1, x2) - reach, std::min(y1, y2) - reach, std::max(x1, x2) + reach, std::max(y1, y2) + reach,
          [=](float x, float y) {
              const float along = (x - ax) * ux + (y - ay) * uy;
              const float across = std::fabs((x - ax) * uy - (y - ay) * ux);
              const float side = std::clamp(half - across + 0.5f, 0.0f, 1.0f);
              const float ends = std::clamp(std::min(along, length - along) + 0.5f, 0.0f, 1.0f);
              return side * ends;
          });
}

void SpriteSheet::End() {
    const int count = static_cast<int>(mParts.size());
    mImage.Resize(count > 0 ? mSlot : 0, count * mSlot);
    if (mImage.Empty()) return;
    std::uint8_t* out = mImage.Pixels();
    for (std::size_t k = 0; k < mPixels.size(); ++k)
        out[k] = static_cast<std::uint8_t>(std::clamp(mPixels[k] + 0.5f, 0.0f, 255.0f));
}

}  // namespace halcyra
