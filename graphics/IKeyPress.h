// One key press as the editor sees it, whether it came from the host's view (VST3
// onKeyDown) or straight from the window system: the text it types, if any, and the
// editing key it is, if any.
#pragma once

#include <string>

namespace halcyra {

enum class EVirtualKey {
    Unknown,
    Backspace,
    Delete,
    Left,
    Right,
    Home,
    End,
    Return,
    Escape,
    Tab,
    Up,
    Down,
};

struct IKeyPress {
    std::string utf8;  // text typed by the key; empty for pure editing keys
    EVirtualKey vk = EVirtualKey::Unknown;
    bool shift = false;
    bool control = false;
    bool alt = false;

    IKeyPress() = default;
    IKeyPress(std::string text, EVirtualKey key = EVirtualKey::Unknown, bool s = false, bool c = false, bool a = false)
        : utf8(std::move(text)), vk(key), shift(s), control(c), alt(a) {}
    explicit IKeyPress(EVirtualKey key) : vk(key) {}
};

// Translates IPlugView::onKeyDown's arguments (a UTF-16 unit, the SDK's virtual key
// code, its modifier bits). Kept free of SDK headers: the codes are the SDK's numbers.
IKeyPress KeyPressFromVst3(char16_t key, int keyCode, int modifiers);

}  // namespace halcyra
