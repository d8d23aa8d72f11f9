// Shared set-up of the view tests: a display (Xvfb when needed), HOME in a temporary
// folder before any instance exists (the editor's preset store reads it once), the
// built bundle loaded once, and an editor opened in a parent window with helpers that
// click and drag through real X events on the editor's window.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "tools/host/HostEditor.h"
#include "tools/host/PluginInstance.h"
#include "tools/host/Vst3Module.h"
#include "tools/x11host/X11ParentWindow.h"

namespace halcyra::test {

// Set up by the environment; false when there is no display and no Xvfb.
bool displayAvailable();
const std::string& temporaryHome();
host::Vst3Module& sharedModule();

int openDescriptorCount();

// Logical canvas units to pixels at the initial scale (1.2 at content scale 1).
constexpr int px(float units) { return static_cast<int>(units * 1.2f + 0.5f); }

class EditorInParent {
public:
    // An instance (configured at 48 kHz unless `configure` is false), its editor view
    // with frame and run loop, and a parent window the size the view asks for.
    explicit EditorInParent(bool configure = true);
    ~EditorInParent();

    Steinberg::tresult attach();
    void pump(int milliseconds) { editor->pump(std::chrono::milliseconds(milliseconds)); }
    Window editorWindow() const;  // 0 when none is embedded
    x11host::RgbaImage capture() const;

    // Mouse through X events on the editor's window, pixel coordinates.
    void press(int x, int y);
    void moveTo(int x, int y);  // with the left button held
    void release(int x, int y);
    void click(int x, int y);

    std::unique_ptr<host::PluginInstance> instance;
    std::unique_ptr<x11host::X11ParentWindow> parent;
    std::unique_ptr<host::HostEditor> editor;

private:
    void sendButton(int type, int x, int y);
    unsigned long time_ = 1000;
};

// Skips the test when no display can be had.
#define HALCYRA_REQUIRE_DISPLAY() \
    if (!::halcyra::test::displayAvailable()) GTEST_SKIP() << "no X display and no Xvfb installed"

}  // namespace halcyra::test
