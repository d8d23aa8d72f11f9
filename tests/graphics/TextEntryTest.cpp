// The single-line text entry: typing through the host's key path and the window
// system's, editing by whole characters, Return commits and Escape cancels.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "graphics/IGraphics.h"
#include "graphics/IKeyPress.h"
#include "graphics/Utf8.h"

namespace halcyra::test {
namespace {

// The SDK's virtual key codes, as a host passes them to IPlugView::onKeyDown.
constexpr int kVst3Back = 1, kVst3Return = 4, kVst3Escape = 6, kVst3Space = 7, kVst3End = 9, kVst3Home = 10,
              kVst3Left = 11, kVst3Right = 13, kVst3Enter = 19, kVst3Delete = 22;
constexpr int kVst3Shift = 1;

class Entry : public ::testing::Test {
protected:
    IGraphics ui{nullptr};
    std::optional<std::string> result;
    int completions = 0;

    void Open(const std::string& initial = "") {
        ui.CreateTextEntry(IRECT(222, 60, 332, 84), initial, [this](const std::string& text) {
            result = text;
            ++completions;
        });
    }
    // Types like a host does: one onKeyDown per character, space by its key code.
    void TypeThroughHost(const std::u16string& text) {
        for (char16_t c : text) {
            const bool upper = c >= u'A' && c <= u'Z';
            if (c == u' ') ui.OnKeyDown(KeyPressFromVst3(0, kVst3Space, 0));
            else ui.OnKeyDown(KeyPressFromVst3(c, 0, upper ? kVst3Shift : 0));
        }
    }
    void Key(int vst3Code) { ui.OnKeyDown(KeyPressFromVst3(0, vst3Code, 0)); }
};

TEST_F(Entry, TypingMySkyThenReturnCompletesWithTheText) {
    Open();
    TypeThroughHost(u"My Sky");
    EXPECT_EQ(ui.GetTextEntry()->GetText(), "My Sky");
    Key(kVst3Return);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, "My Sky");
    EXPECT_FALSE(ui.IsTextEntryActive());
    // Keys after the entry closed are the host's again.
    EXPECT_FALSE(ui.OnKeyDown(KeyPressFromVst3(u'x', 0, 0)));
    EXPECT_EQ(completions, 1);
}

TEST_F(Entry, EnterOnTheKeypadCommitsAndAnEmptyEntryCommitsEmptyText) {
    Open();
    Key(kVst3Enter);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, "");
}

TEST_F(Entry, EscapeCancelsWithoutCallingTheCompletion) {
    Open("Draft");
    TypeThroughHost(u" two");
    Key(kVst3Escape);
    EXPECT_FALSE(ui.IsTextEntryActive());
    EXPECT_FALSE(result.has_value());
}

TEST_F(Entry, BackspaceDeleteAndCaretKeysEditInPlace) {
    Open("Storm");
    EXPECT_EQ(ui.GetTextEntry()->GetCaret(), 5u);  // caret starts after the initial text
    Key(kVst3Back);                                 // "Stor"
    Key(kVst3Home);
    Key(kVst3Delete);                               // "tor"
    Key(kVst3Right);
    TypeThroughHost(u"e");                          // "teor"
    Key(kVst3End);
    Key(kVst3Left);
    Key(kVst3Left);
    Key(kVst3Back);                                 // "tor" ... removes the 'e'
    TypeThroughHost(u"X");                          // "tXor"
    Key(kVst3Return);
    EXPECT_EQ(result.value_or("<none>"), "tXor");
}

TEST_F(Entry, EditingAtTheEndsDoesNothingHarmful) {
    Open();
    Key(kVst3Back);
    Key(kVst3Delete);
    Key(kVst3Left);
    Key(kVst3Right);
    TypeThroughHost(u"a");
    Key(kVst3Right);
    Key(kVst3Delete);
    Key(kVst3Return);
    EXPECT_EQ(result.value_or("<none>"), "a");
}

TEST_F(Entry, Utf8TextIsEditedByWholeCharacters) {
    Open();
    ui.OnKeyDown(IKeyPress("Cé"));              // window-system text, two bytes for é
    ui.OnKeyDown(IKeyPress("\xF0\x9F\x8C\xA7"));  // a four-byte character (cloud with rain)
    TypeThroughHost(u"\u00FC");                 // ü through the host's UTF-16 path
    EXPECT_EQ(ui.GetTextEntry()->GetText(), "Cé\xF0\x9F\x8C\xA7ü");
    Key(kVst3Back);  // removes ü (2 bytes)
    Key(kVst3Back);  // removes the cloud (4 bytes)
    EXPECT_EQ(ui.GetTextEntry()->GetText(), "Cé");
    Key(kVst3Left);  // before é, not inside it
    EXPECT_EQ(ui.GetTextEntry()->GetCaret(), 1u);
    Key(kVst3Delete);
    Key(kVst3Return);
    EXPECT_EQ(result.value_or("<none>"), "C");
}

TEST_F(Entry, MalformedBytesControlCharactersAndShortcutsAreNotTyped) {
    Open();
    ui.OnKeyDown(IKeyPress("a\xC3"));               // truncated sequence
    ui.OnKeyDown(IKeyPress("\xC0\xAF"));            // overlong '/'
    ui.OnKeyDown(IKeyPress("\xED\xA0\x80"));        // encoded surrogate
    ui.OnKeyDown(IKeyPress("b\nc\td\x7F"));         // line breaks and controls
    ui.OnKeyDown(IKeyPress("z", EVirtualKey::Unknown, false, true));  // Ctrl+Z is not text
    ui.OnKeyDown(KeyPressFromVst3(0xD83D, 0, 0));   // lone surrogate half from a host
    Key(kVst3Return);
    EXPECT_EQ(result.value_or("<none>"), "abcd");
}

TEST_F(Entry, TextIsCappedWithoutSplittingACharacter) {
    Open();
    for (int i = 0; i < 150; ++i) ui.OnKeyDown(IKeyPress("é"));
    const std::string& text = ui.GetTextEntry()->GetText();
    EXPECT_LE(text.size(), TextEntry::kMaxBytes);
    EXPECT_EQ(text.size() % 2, 0u);
    EXPECT_EQ(utf8::SanitizeSingleLine(text), text);
}

TEST_F(Entry, ClickOutsideCancelsAndStillReachesTheControlsClickInsideKeepsEditing) {
    struct Counter : IControl {
        using IControl::IControl;
        int downs = 0;
        void Draw(Canvas&) override {}
        void OnMouseDown(float, float, const IMouseMod&) override { ++downs; }
    };
    auto* under = static_cast<Counter*>(ui.AttachControl(new Counter(IRECT(0, 0, 760, 560))));
    Open("Name");
    ui.OnMouseDown(250, 70, IMouseMod(true));  // inside the field
    ui.OnMouseUp(250, 70, IMouseMod(true));
    EXPECT_TRUE(ui.IsTextEntryActive());
    EXPECT_EQ(under->downs, 0);
    ui.OnMouseDown(600, 400, IMouseMod(true));
    ui.OnMouseUp(600, 400, IMouseMod(true));
    EXPECT_FALSE(ui.IsTextEntryActive());
    EXPECT_FALSE(result.has_value());
    EXPECT_EQ(under->downs, 1);
}

TEST_F(Entry, CompletionMayOpenAnotherEntry) {
    std::string second;
    ui.CreateTextEntry(IRECT(0, 0, 100, 20), "", [this, &second](const std::string& first) {
        ui.CreateTextEntry(IRECT(0, 0, 100, 20), first + "!", [&second](const std::string& t) { second = t; });
    });
    TypeThroughHost(u"One");
    Key(kVst3Return);
    ASSERT_TRUE(ui.IsTextEntryActive());
    EXPECT_EQ(ui.GetTextEntry()->GetText(), "One!");
    Key(kVst3Return);
    EXPECT_EQ(second, "One!");
}

TEST(KeyPressFromVst3Keys, ModifiersAndEditingKeysMapAndCarryNoText) {
    const IKeyPress back = KeyPressFromVst3(8, kVst3Back, kVst3Shift);
    EXPECT_EQ(back.vk, EVirtualKey::Backspace);
    EXPECT_TRUE(back.utf8.empty());
    EXPECT_TRUE(back.shift);
    const IKeyPress ctrlA = KeyPressFromVst3(u'a', 0, 1 << 3);
    EXPECT_TRUE(ctrlA.control);
    EXPECT_EQ(KeyPressFromVst3(u'\u20AC', 0, 0).utf8, "\u20AC");  // euro sign, three bytes
    EXPECT_EQ(KeyPressFromVst3(0, kVst3Space, 0).utf8, " ");
}

}  // namespace
}  // namespace halcyra::test
