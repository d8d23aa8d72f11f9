// Turns an X11 key event into the editor's key press: the text it types (through
// the input method when there is one, so dead keys and layouts work) and the
// editing key it is. Raw key codes are never used as text.
#pragma once

#include <X11/Xlib.h>

#include "graphics/IKeyPress.h"

namespace halcyra {

// `ic` may be null: the plain lookup then gives Latin-1 text, converted to UTF-8.
IKeyPress TranslateX11Key(XKeyEvent& event, XIC ic);

}  // namespace halcyra
