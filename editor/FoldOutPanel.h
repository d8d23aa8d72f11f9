// A panel of extra controls that folds out over the bottom of the sky view: its box
// plus the controls placed on it, shown and hidden together. Starts folded.
#pragma once

#include <vector>

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class FoldOutPanel : public IControl {
public:
    FoldOutPanel(const IRECT& bounds, const IColor& accent);

    void Draw(Canvas& g) override;

    // A control on the panel: hidden while the panel is folded. Not owned.
    void AddMember(IControl* control);
    void SetOpen(bool open);
    bool IsOpen() const { return !IsHidden(); }

private:
    IColor mAccent;
    std::vector<IControl*> mMembers;
};

}  // namespace halcyra
