// The burger menu ("About Halcyra", "Open Manual", "Website") and the about box, one
// window-wide overlay so that any click outside the menu, or anywhere while the
// about box shows, closes it instead of reaching the controls underneath.
#pragma once

#include <array>
#include <string_view>

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class EditorContext;

class BurgerMenuControl : public IControl {
public:
    static constexpr int kEntryCount = 3;
    static constexpr std::array<std::string_view, kEntryCount> kEntries{"About Halcyra", "Open Manual", "Website"};
    static constexpr const char* kManualName = "Halcyra-Manual.pdf";

    // The about box's body, top to bottom. An empty line is drawn as a line of its
    // own (a full line step) unless it is a paragraph gap (see kAboutGap).
    struct AboutLine {
        std::string_view text;
        bool gap;  // a short spacer rather than a line of text
    };
    // Which build a user runs, and who made it.
    static constexpr std::string_view kVersionLine = "Version " HALCYRA_VERSION_TEXT;
    static constexpr std::string_view kMaker = "tavimoro";
    static constexpr std::array<AboutLine, 8> kAboutBody{{
        {kVersionLine, false},
        {kMaker, false},
        {"", true},
        {"Binaural placement uses KEMAR HRTF measurements (Gardner & Martin,", false},
        {"MIT Media Lab, 1994).", false},
        {"", true},
        {"VST is a trademark of Steinberg Media Technologies GmbH.", false},
        {"Audio Unit is a trademark of Apple Inc.", false},
    }};
    static constexpr float kAboutBodyTop = 62.0f;
    static constexpr float kAboutLineStep = 14.0f;
    static constexpr float kAboutGap = 8.0f;
    // The footer's left-hand text (its right-hand side says "click to close").
    static constexpr std::string_view kAboutFooterLeft = kMaker;

    BurgerMenuControl(const IRECT& bounds, EditorContext& ctx);

    // Opens in menu mode (every opening starts there) and shows the control.
    void ShowMenu();
    bool IsShowingAbout() const { return mAbout; }

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

    IRECT MenuRect() const;
    IRECT EntryRect(int entry) const;  // full menu width: the clickable row
    IRECT AboutBoxRect() const;
    // Offsets below the about box's content top at which the body lines are drawn,
    // one per entry of kAboutBody (gaps get the offset they start at).
    static std::array<float, kAboutBody.size()> AboutBodyOffsets();

private:
    void DrawMenu(Canvas& g);
    void DrawAbout(Canvas& g);
    void OpenManual();
    void Close();

    EditorContext& mCtx;
    IColor mPanel, mText, mDim, mAccent;
    bool mAbout = false;
};

}  // namespace halcyra
