// The rounded box behind a group of header controls. Purely decorative: clicks pass
// through to whatever lies beneath or on top.
#pragma once

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class HeaderBox : public IControl {
public:
    HeaderBox(const IRECT& bounds, const IColor& fill);

    void Draw(Canvas& g) override;

private:
    IColor mFill;
};

}  // namespace halcyra
