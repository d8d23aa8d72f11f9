// The square at the bottom-right corner that rescales the whole canvas when dragged.
// The drag follows the pointer: the canvas corner keeps the offset it had from the
// pointer at the press, averaged over both axes so the aspect ratio never changes.
#pragma once

#include "graphics/IControl.h"

namespace halcyra {

class ICornerResizerControl : public IControl {
public:
    ICornerResizerControl(const IRECT& canvasBounds, float size);

    void Draw(Canvas& g) override;
    void OnAttached() override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
    void OnMouseUp(float x, float y, const IMouseMod& mod) override;
    // A double click returns to the scale the editor opened with.
    void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;

    bool IsDragging() const { return mDragging; }

private:
    float mSize;
    bool mDragging = false;
    float mOffsetX = 0.0f;  // canvas corner minus pointer, in pixels, at the press
    float mOffsetY = 0.0f;
    float mInitialScale = 0.0f;
};

}  // namespace halcyra
