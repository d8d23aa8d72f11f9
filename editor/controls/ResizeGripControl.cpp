#include "editor/controls/ResizeGripControl.h"

#include "graphics/Canvas.h"

namespace halcyra {

ResizeGripControl::ResizeGripControl(const IRECT& bounds, const IColor& dim) : IControl(bounds), mDim(dim) {
    // The corner resizer underneath must get the press.
    SetIgnoreMouse(true);
}

void ResizeGripControl::Draw(Canvas& g) {
    for (int i = 0; i < 4; ++i) {
        const float reach = 5.0f * static_cast<float>(i) + 4.0f;
        g.DrawLine(mDim, mRECT.R - reach, mRECT.B - 2.0f, mRECT.R - 2.0f, mRECT.B - reach, 1.4f);
    }
}

}  // namespace halcyra
