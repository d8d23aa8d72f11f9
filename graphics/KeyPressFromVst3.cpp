#include "graphics/IKeyPress.h"
#include "graphics/Utf8.h"

namespace halcyra {

namespace {

// The SDK's VirtualKeyCodes and KeyModifier values (pluginterfaces/base/keycodes.h).
enum Vst3Key {
    kVst3Back = 1, kVst3Tab = 2, kVst3Return = 4, kVst3Escape = 6, kVst3Space = 7, kVst3End = 9,
    kVst3Home = 10, kVst3Left = 11, kVst3Up = 12, kVst3Right = 13, kVst3Down = 14, kVst3Enter = 19,
    kVst3Delete = 22,
};
enum Vst3Modifier { kVst3Shift = 1 << 0, kVst3Alt = 1 << 1, kVst3Command = 1 << 2, kVst3Control = 1 << 3 };

EVirtualKey MapKeyCode(int keyCode) {
    switch (keyCode) {
        case kVst3Back: return EVirtualKey::Backspace;
        case kVst3Tab: return EVirtualKey::Tab;
        case kVst3Return:
        case kVst3Enter: return EVirtualKey::Return;
        case kVst3Escape: return EVirtualKey::Escape;
        case kVst3End: return EVirtualKey::End;
        case kVst3Home: return EVirtualKey::Home;
        case kVst3Left: return EVirtualKey::Left;
        case kVst3Up: return EVirtualKey::Up;
        case kVst3Right: return EVirtualKey::Right;
        case kVst3Down: return EVirtualKey::Down;
        case kVst3Delete: return EVirtualKey::Delete;
        default: return EVirtualKey::Unknown;
    }
}

}  // namespace

IKeyPress KeyPressFromVst3(char16_t key, int keyCode, int modifiers) {
    IKeyPress press;
    press.vk = MapKeyCode(keyCode);
    press.shift = (modifiers & kVst3Shift) != 0;
    press.alt = (modifiers & kVst3Alt) != 0;
    press.control = (modifiers & (kVst3Control | kVst3Command)) != 0;
    if (keyCode == kVst3Space) {
        press.utf8.assign(1, ' ');
    } else if (press.vk == EVirtualKey::Unknown && key != 0) {
        // A lone surrogate half cannot be encoded and is dropped by AppendCodePoint.
        std::string text;
        utf8::AppendCodePoint(text, key);
        press.utf8 = utf8::SanitizeSingleLine(text);
    }
    return press;
}

}  // namespace halcyra
