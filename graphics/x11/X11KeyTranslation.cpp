#include "graphics/x11/X11KeyTranslation.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "graphics/Utf8.h"

namespace halcyra {

namespace {

EVirtualKey MapKeySym(KeySym sym) {
    switch (sym) {
        case XK_BackSpace: return EVirtualKey::Backspace;
        case XK_Delete:
        case XK_KP_Delete: return EVirtualKey::Delete;
        case XK_Left:
        case XK_KP_Left: return EVirtualKey::Left;
        case XK_Right:
        case XK_KP_Right: return EVirtualKey::Right;
        case XK_Home:
        case XK_KP_Home: return EVirtualKey::Home;
        case XK_End:
        case XK_KP_End: return EVirtualKey::End;
        case XK_Return:
        case XK_KP_Enter: return EVirtualKey::Return;
        case XK_Escape: return EVirtualKey::Escape;
        case XK_Tab:
        case XK_ISO_Left_Tab: return EVirtualKey::Tab;
        case XK_Up:
        case XK_KP_Up: return EVirtualKey::Up;
        case XK_Down:
        case XK_KP_Down: return EVirtualKey::Down;
        default: return EVirtualKey::Unknown;
    }
}

}  // namespace

IKeyPress TranslateX11Key(XKeyEvent& event, XIC ic) {
    char buffer[64] = {};
    KeySym sym = NoSymbol;
    std::string text;
    if (ic != nullptr && event.type == KeyPress) {
        Status status = 0;
        const int n = Xutf8LookupString(ic, &event, buffer, sizeof buffer - 1, &sym, &status);
        if (status != XBufferOverflow && n > 0) text.assign(buffer, static_cast<std::size_t>(n));
    } else {
        const int n = XLookupString(&event, buffer, sizeof buffer - 1, &sym, nullptr);
        // XLookupString gives Latin-1 bytes.
        for (int i = 0; i < n; ++i) utf8::AppendCodePoint(text, static_cast<unsigned char>(buffer[i]));
    }

    IKeyPress press;
    press.vk = MapKeySym(sym);
    press.shift = (event.state & ShiftMask) != 0;
    press.control = (event.state & ControlMask) != 0;
    press.alt = (event.state & Mod1Mask) != 0;
    // Editing keys produce control characters ("\b", "\r", ESC) that are not text.
    if (press.vk == EVirtualKey::Unknown) press.utf8 = utf8::SanitizeSingleLine(text);
    return press;
}

}  // namespace halcyra
