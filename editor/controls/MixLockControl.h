// Padlock for Mix Lock: closed and filled in the accent colour when locked, open
// and outlined in the dim colour otherwise. A click flips it.
#pragma once

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class MixLockControl : public IControl {
public:
    // The keyhole punched into the filled body.
    static constexpr IColor kKeyholeColor{255, 20, 22, 28};

    MixLockControl(const IRECT& bounds, int paramIdx, const IColor& accent, const IColor& dim);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

    void SetAccentColor(const IColor& accent);
    const IColor& GetAccentColor() const { return mAccent; }
    bool IsLocked() const { return GetValue() > 0.5; }

private:
    IColor mAccent, mDim;
};

}  // namespace halcyra
