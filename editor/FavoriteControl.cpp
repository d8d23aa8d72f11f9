#include "editor/FavoriteControl.h"

#include <string>

#include "editor/EditorContext.h"
#include "editor/HeartPath.h"
#include "graphics/Canvas.h"
#include "plugin/Parameters.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetStore.h"

namespace halcyra {

FavoriteControl::FavoriteControl(const IRECT& bounds, EditorContext& ctx, const IColor& accent, const IColor& dim)
    : IControl(bounds, kPreset), mCtx(ctx), mAccent(accent), mDim(dim) {}

bool FavoriteControl::IsShownAsFavourite() const {
    const std::string name(currentFactoryPresetName(mCtx.parameterEditor()));
    return !name.empty() && mCtx.presetStore().isFavourite(name);
}

void FavoriteControl::Draw(Canvas& g) {
    // Read at draw time: the panel's hearts change the same favourites list.
    PathHeart(g, mRECT.MW(), mRECT.MH() - 0.5f, kScale);
    if (IsShownAsFavourite()) {
        g.PathFill(mAccent);
    } else {
        g.PathStroke(mDim, 1.3f, 10.0f);
    }
}

void FavoriteControl::OnMouseDown(float, float, const IMouseMod&) {
    const std::string name(currentFactoryPresetName(mCtx.parameterEditor()));
    if (name.empty()) return;  // "Preset" points at no factory preset: nothing to mark
    mCtx.presetStore().toggleFavourite(name);
    SetDirty();
}

}  // namespace halcyra
