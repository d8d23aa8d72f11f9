// The favourite heart shared by the header and the preset panel rows: two cubic
// lobes meeting at the top notch and at the bottom point. k scales it about (hx, hy).
#pragma once

namespace halcyra {

class Canvas;

// Leaves the heart as the canvas' current path, ready for PathFill or PathStroke.
void PathHeart(Canvas& g, float hx, float hy, float k);

}  // namespace halcyra
