// What fills or strokes a path: one colour, or a two-stop linear or radial gradient.
#pragma once

#include "graphics/IColor.h"

namespace halcyra {

enum class EPatternType { Solid, Linear, Radial };

struct IPattern {
    EPatternType type = EPatternType::Solid;
    IColor start;  // the solid colour, or the gradient's first stop
    IColor end;    // the gradient's last stop
    // Linear: from (x1, y1) to (x2, y2). Radial: centre (x1, y1), inner radius r1, outer r2.
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0, r1 = 0, r2 = 0;

    IPattern(const IColor& c) : start(c), end(c) {}  // NOLINT: a colour is a pattern

    static IPattern Linear(float x1, float y1, float x2, float y2, const IColor& from, const IColor& to) {
        IPattern p(from);
        p.type = EPatternType::Linear;
        p.end = to;
        p.x1 = x1; p.y1 = y1; p.x2 = x2; p.y2 = y2;
        return p;
    }

    static IPattern Radial(float cx, float cy, float innerRadius, float outerRadius, const IColor& inner,
                           const IColor& outer) {
        IPattern p(inner);
        p.type = EPatternType::Radial;
        p.end = outer;
        p.x1 = cx; p.y1 = cy; p.r1 = innerRadius; p.r2 = outerRadius;
        return p;
    }
};

}  // namespace halcyra
