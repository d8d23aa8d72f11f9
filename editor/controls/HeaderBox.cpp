#include "editor/controls/HeaderBox.h"

#include "graphics/Canvas.h"

namespace halcyra {

HeaderBox::HeaderBox(const IRECT& bounds, const IColor& fill) : IControl(bounds), mFill(fill) {
    SetIgnoreMouse(true);
}

void HeaderBox::Draw(Canvas& g) { g.FillRoundRect(mFill, mRECT, 5.0f); }

}  // namespace halcyra
