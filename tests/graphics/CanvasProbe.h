// Helpers for pixel tests: a control that draws whatever the test gives it, and
// colour comparisons with a small tolerance for rasteriser rounding.
#pragma once

#include <cstdlib>
#include <functional>
#include <ostream>

#include <gtest/gtest.h>

#include "graphics/Canvas.h"
#include "graphics/IControl.h"

namespace halcyra {

inline std::ostream& operator<<(std::ostream& os, const IColor& c) {
    return os << "(" << c.A << ", " << c.R << ", " << c.G << ", " << c.B << ")";
}

namespace test {

class LambdaControl : public IControl {
public:
    LambdaControl(const IRECT& r, std::function<void(Canvas&, const IRECT&)> draw) : IControl(r), mDraw(std::move(draw)) {}
    void Draw(Canvas& g) override { mDraw(g, mRECT); }

private:
    std::function<void(Canvas&, const IRECT&)> mDraw;
};

inline ::testing::AssertionResult ColorNear(const IColor& actual, const IColor& expected, int tolerance = 3) {
    const bool ok = std::abs(actual.R - expected.R) <= tolerance && std::abs(actual.G - expected.G) <= tolerance &&
                    std::abs(actual.B - expected.B) <= tolerance;
    if (ok) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour " << actual << " is not within " << tolerance << " of " << expected;
}

}  // namespace test
}  // namespace halcyra
