// The one look shared by the editor's knobs, and the palette-follow hook that
// re-tints a knob's value arc.
#pragma once

#include "graphics/IColor.h"
#include "graphics/controls/IVStyle.h"

namespace halcyra {

class IControl;

// Default vector style with the editor's knob colours, a faint track under the value
// arc, label under the knob, no value text.
IVStyle MakeKnobStyle(const IColor& accent);

// Sets the value-arc colour of a knob (an IVKnobControl or one derived from it);
// anything else is left alone.
void SetKnobAccent(IControl* control, const IColor& accent);

}  // namespace halcyra
