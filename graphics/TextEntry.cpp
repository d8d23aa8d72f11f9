#include "graphics/TextEntry.h"

#include <cmath>

#include "graphics/Canvas.h"
#include "graphics/Utf8.h"

namespace halcyra {

namespace {
// Opaque: the field opens over the button that started it, whose text must not show through.
constexpr IColor kFieldColor{255, 12, 14, 20};
constexpr IColor kFieldOutline{200, 150, 160, 178};
constexpr float kFieldPadding = 6.0f;
}  // namespace

TextEntry::TextEntry(const IRECT& bounds, const std::string& initial, const IText& style, Completion completion)
    : mBounds(bounds), mStyle(style), mCompletion(std::move(completion)) {
    InsertText(initial);
}

void TextEntry::InsertText(std::string_view utf8In) {
    std::string clean = utf8::SanitizeSingleLine(utf8In);
    // Trim at a code point boundary so the limit never splits a character.
    const std::size_t room = kMaxBytes > mText.size() ? kMaxBytes - mText.size() : 0;
    if (clean.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80) --cut;
        clean.resize(cut);
    }
    mText.insert(mCaret, clean);
    mCaret += clean.size();
    mBlinkTime = 0.0;
}

TextEntry::Outcome TextEntry::HandleKey(const IKeyPress& key) {
    mBlinkTime = 0.0;
    switch (key.vk) {
        case EVirtualKey::Return: return Outcome::Commit;
        case EVirtualKey::Escape: return Outcome::Cancel;
        case EVirtualKey::Backspace:
            if (mCaret > 0) {
                const std::size_t from = utf8::PreviousBoundary(mText, mCaret);
                mText.erase(from, mCaret - from);
                mCaret = from;
            }
            return Outcome::Editing;
        case EVirtualKey::Delete:
            if (mCaret < mText.size()) mText.erase(mCaret, utf8::NextBoundary(mText, mCaret) - mCaret);
            return Outcome::Editing;
        case EVirtualKey::Left: mCaret = utf8::PreviousBoundary(mText, mCaret); return Outcome::Editing;
        case EVirtualKey::Right: mCaret = utf8::NextBoundary(mText, mCaret); return Outcome::Editing;
        case EVirtualKey::Home:
        case EVirtualKey::Up: mCaret = 0; return Outcome::Editing;
        case EVirtualKey::End:
        case EVirtualKey::Down: mCaret = mText.size(); return Outcome::Editing;
        case EVirtualKey::Tab: return Outcome::Editing;
        case EVirtualKey::Unknown: break;
    }
    // Shortcuts with control or alt are not typing.
    if (!key.control && !key.alt) InsertText(key.utf8);
    return Outcome::Editing;
}

void TextEntry::OnFrame(double dt) { mBlinkTime += dt; }

void TextEntry::Draw(Canvas& g) const {
    g.FillRoundRect(kFieldColor, mBounds, 3.0f);
    g.DrawRoundRect(kFieldOutline, mBounds, 3.0f, 1.0f);

    const IRECT inner = mBounds.GetInset(kFieldPadding);
    const float fullWidth = g.MeasureText(mStyle, mText);
    // Long text is shown left-aligned and scrolled so the caret stays visible.
    const bool overflow = fullWidth > inner.W();
    IText style = mStyle;
    float startX;
    if (overflow) {
        style.align = EAlign::Near;
        const float caretWidth = g.MeasureText(mStyle, std::string_view(mText).substr(0, mCaret));
        startX = inner.L - std::max(0.0f, caretWidth - inner.W() + 2.0f);
    } else {
        switch (mStyle.align) {
            case EAlign::Near: startX = inner.L; break;
            case EAlign::Center: startX = inner.MW() - 0.5f * fullWidth; break;
            default: startX = inner.R - fullWidth; break;
        }
    }
    g.Save();
    g.PathClipRegion(mBounds.GetInset(2.0f));
    const IRECT textRect{startX, inner.T, startX + std::max(fullWidth, 1.0f), inner.B};
    g.DrawText(style.WithAlign(EAlign::Near, mStyle.valign), mText, textRect);
    if (std::fmod(mBlinkTime, 1.0) < 0.6) {
        const float caretX = startX + g.MeasureText(mStyle, std::string_view(mText).substr(0, mCaret));
        const float h = mStyle.size * 0.6f;
        g.DrawLine(mStyle.fgColor, caretX, mBounds.MH() - h, caretX, mBounds.MH() + h, 1.0f);
    }
    g.Restore();
}

}  // namespace halcyra
