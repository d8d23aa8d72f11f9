// The header's heart for the preset the header names (a user preset loaded here, or
// the factory preset "Preset" points at): filled when that name is a favourite,
// outlined otherwise. A click toggles it.
#pragma once

#include <memory>

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class EditorContext;
class PresetSelection;

class FavoriteControl : public IControl {
public:
    // The header heart is a little larger than the panel rows' hearts.
    static constexpr float kScale = 8.0f / 7.0f;

    FavoriteControl(const IRECT& bounds, EditorContext& ctx, std::shared_ptr<const PresetSelection> selection,
                    const IColor& accent, const IColor& dim);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;
    // The panel's hearts and other editors change the same favourites list.
    void OnFrame(double dt) override;

    // Whether the heart shows as filled right now.
    bool IsShownAsFavourite() const;

private:
    EditorContext& mCtx;
    std::shared_ptr<const PresetSelection> mSelection;
    IColor mAccent, mDim;
    bool mDrawnAsFavourite = false;
};

}  // namespace halcyra
