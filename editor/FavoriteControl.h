// The header's heart for the current factory preset (the one "Preset" names):
// filled when that name is a favourite, outlined otherwise. A click toggles it.
#pragma once

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class EditorContext;

class FavoriteControl : public IControl {
public:
    // The header heart is a little larger than the panel rows' hearts.
    static constexpr float kScale = 8.0f / 7.0f;

    FavoriteControl(const IRECT& bounds, EditorContext& ctx, const IColor& accent, const IColor& dim);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

    // Whether the heart shows as filled right now (reads the favourites afresh).
    bool IsShownAsFavourite() const;

private:
    EditorContext& mCtx;
    IColor mAccent, mDim;
};

}  // namespace halcyra
