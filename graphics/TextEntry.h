// The single-line text field the editor opens over a rectangle (for naming a user
// preset). It owns the text being typed and the caret; IGraphics routes keys to it
// and calls the completion with the final text on Return.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "graphics/IKeyPress.h"
#include "graphics/IRECT.h"
#include "graphics/IText.h"

namespace halcyra {

class Canvas;

class TextEntry {
public:
    using Completion = std::function<void(const std::string& text)>;
    enum class Outcome { Editing, Commit, Cancel };

    // Names longer than this would not fit any file system's name limit anyway.
    static constexpr std::size_t kMaxBytes = 200;

    TextEntry(const IRECT& bounds, const std::string& initial, const IText& style, Completion completion);

    Outcome HandleKey(const IKeyPress& key);
    void InsertText(std::string_view utf8);

    const std::string& GetText() const { return mText; }
    std::size_t GetCaret() const { return mCaret; }
    const IRECT& GetRECT() const { return mBounds; }
    Completion TakeCompletion() { return std::move(mCompletion); }

    void OnFrame(double dt);
    void Draw(Canvas& g) const;

private:
    IRECT mBounds;
    IText mStyle;
    std::string mText;
    std::size_t mCaret = 0;  // byte offset, always on a code point boundary
    Completion mCompletion;
    double mBlinkTime = 0.0;
};

}  // namespace halcyra
