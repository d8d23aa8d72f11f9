#include "editor/HeartPath.h"

#include "graphics/Canvas.h"

namespace halcyra {

void PathHeart(Canvas& g, float hx, float hy, float k) {
    g.PathClear();
    g.PathMoveTo(hx, hy + 5.32f * k);
    g.PathCubicBezierTo(hx - 7.56f * k, hy - 0.84f * k, hx - 3.08f * k, hy - 6.16f * k, hx, hy - 1.96f * k);
    g.PathCubicBezierTo(hx + 3.08f * k, hy - 6.16f * k, hx + 7.56f * k, hy - 0.84f * k, hx, hy + 5.32f * k);
    g.PathClose();
}

}  // namespace halcyra
