// Four short diagonal strokes in the bottom-right corner that show where the window
// can be resized. Only a picture: the corner resizer beneath does the work.
#pragma once

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class ResizeGripControl : public IControl {
public:
    ResizeGripControl(const IRECT& bounds, const IColor& dim);

    void Draw(Canvas& g) override;

private:
    IColor mDim;
};

}  // namespace halcyra
