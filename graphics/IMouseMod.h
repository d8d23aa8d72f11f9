// Mouse buttons and modifier keys that come with a mouse event.
#pragma once

namespace halcyra {

struct IMouseMod {
    bool L = false;  // left button
    bool R = false;  // right button
    bool S = false;  // shift: fine adjustment on knobs
    bool C = false;  // control
    bool A = false;  // alt

    constexpr IMouseMod() = default;
    constexpr IMouseMod(bool left, bool right = false, bool shift = false, bool control = false, bool alt = false)
        : L(left), R(right), S(shift), C(control), A(alt) {}
};

}  // namespace halcyra
