#include "editor/FavoriteControl.h"

#include <string>

#include "editor/EditorContext.h"
#include "editor/HeartPath.h"
#include "editor/PresetSelection.h"
#include "graphics/Canvas.h"
#include "plugin/Parameters.h"
#include "presets/PresetStore.h"

namespace halcyra {

FavoriteControl::FavoriteControl(const IRECT& bounds, EditorContext& ctx,
                                 std::shared_ptr<const PresetSelection> selection, const IColor& accent,
                                 const IColor& dim)
    : IControl(bounds, kPreset), mCtx(ctx), mSelection(std::move(selection)), mAccent(accent), mDim(dim) {}

bool FavoriteControl::IsShownAsFavourite() const {
    const std::string name = mSelection->ShownName();
    return !name.empty() && mCtx.presetStore().library().isFavourite(name);
}

void FavoriteControl::OnFrame(double dt) {
    IControl::OnFrame(dt);
    if (IsShownAsFavourite() != mDrawnAsFavourite) SetDirty();
}

void FavoriteControl::Draw(Canvas& g) {
    mDrawnAsFavourite = IsShownAsFavourite();
    PathHeart(g, mRECT.MW(), mRECT.MH() - 0.5f, kScale);
    if (mDrawnAsFavourite) {
        g.PathFill(mAccent);
    } else {
        g.PathStroke(mDim, 1.3f, 10.0f);
    }
}

void FavoriteControl::OnMouseDown(float, float, const IMouseMod&) {
    const std::string name = mSelection->ShownName();
    if (name.empty()) return;  // "Preset" points at no factory preset: nothing to mark
    mCtx.presetStore().toggleFavourite(name);
    SetDirty();
}

}  // namespace halcyra
