#include "editor/AbCompareControl.h"

#include "editor/EditorContext.h"
#include "graphics/Canvas.h"
#include "plugin/AbCompareState.h"

namespace halcyra {

AbCompareControl::AbCompareControl(const IRECT& bounds, EditorContext& ctx, const IColor& accent, const IColor& dim)
    : IControl(bounds), mCtx(ctx), mAccent(accent), mDim(dim) {}

IRECT AbCompareControl::SlotRect(int slot) const {
    const float share = kSlotShare * mRECT.W();
    return slot == AbCompareState::kSlotA ? IRECT(mRECT.L, mRECT.T, mRECT.L + share, mRECT.B)
                                          : IRECT(mRECT.R - share, mRECT.T, mRECT.R, mRECT.B);
}

void AbCompareControl::Draw(Canvas& g) {
    const int current = mCtx.abCompare().current();
    g.FillRoundRect(mAccent.WithAlpha(71), SlotRect(current).GetInset(2.0f), 4.0f);

    const IText active(14.0f, mAccent, "Roboto-Regular", EAlign::Center, EVAlign::Middle);
    const IText inactive(12.0f, mDim.WithAlpha(153), "Roboto-Regular", EAlign::Center, EVAlign::Middle);
    g.DrawText(current == AbCompareState::kSlotA ? active : inactive, "A", SlotRect(AbCompareState::kSlotA));
    g.DrawText(current == AbCompareState::kSlotB ? active : inactive, "B", SlotRect(AbCompareState::kSlotB));
    g.DrawText(IText(10.0f, mDim.WithAlpha(127), "Roboto-Regular", EAlign::Center, EVAlign::Middle), "/", mRECT);
}

void AbCompareControl::OnMouseDown(float x, float, const IMouseMod&) {
    const int slot = x < mRECT.MW() ? AbCompareState::kSlotA : AbCompareState::kSlotB;
    mCtx.abCompare().select(slot, mCtx.parameterEditor());
    SetDirty();
}

}  // namespace halcyra
