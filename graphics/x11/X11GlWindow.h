// The Linux editor window: an X11 child window of the host's window with a GLX
// context, its own display connection (the host's is not ours to use) and event
// translation into IGraphics calls. Every X and GLX step is checked; a failure
// leaves no window behind and Open() returns false instead of crashing the host.
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

#include <chrono>
#include <memory>

#include "graphics/Canvas.h"
#include "graphics/PlatformWindow.h"
#include "graphics/x11/GlRenderTarget.h"

namespace halcyra {

class X11GlWindow : public PlatformWindow {
public:
    // Presses closer than this in time and distance make a double click.
    static constexpr long kDoubleClickMs = 400;
    static constexpr int kDoubleClickPixels = 4;

    explicit X11GlWindow(IGraphics& graphics);
    ~X11GlWindow() override;

    bool Open(void* parent) override;
    void Close() override;
    bool IsOpen() const override { return mWindow != 0; }
    void SetSize(int pixelWidth, int pixelHeight) override;
    void ProcessEvents() override;
    void Tick() override;
    bool Paint() override;
    int ConnectionFd() const override;
    unsigned long NativeHandle() const override { return mWindow; }

    Display* GetDisplay() const { return mDisplay; }
    // Translates one event already read from the connection (used by ProcessEvents,
    // and by tests that synthesise events).
    void HandleEvent(XEvent& event);

private:
    bool CreateWindowAndContext(Window parent);
    bool MakeCurrent();
    void HandleButtonPress(const XButtonEvent& e);
    void HandleButtonRelease(const XButtonEvent& e);
    void HandleMotion(const XMotionEvent& e);
    void HandleKey(XKeyEvent& e);
    void TakeKeyboardFocus();
    void ReturnKeyboardFocus();

    IGraphics& mGraphics;
    Display* mDisplay = nullptr;
    Window mWindow = 0;
    Colormap mColormap = 0;
    GLXContext mContext = nullptr;
    XIM mInputMethod = nullptr;
    XIC mInputContext = nullptr;
    std::unique_ptr<Canvas> mCanvas;
    GlRenderTarget mTarget;
    bool mExposed = false;  // the window lost its picture: copy it again, nothing to redraw

    std::chrono::steady_clock::time_point mLastTick{};
    bool mTicked = false;
    bool mButtonDown = false;
    float mLastX = 0.0f;  // logical units
    float mLastY = 0.0f;
    Time mLastPressTime = 0;
    int mLastPressX = 0;
    int mLastPressY = 0;
    bool mLastPressWasDouble = false;
    bool mHoldsFocus = false;
    Window mFocusTakenFrom = 0;  // who had the keyboard before a text entry took it
};

}  // namespace halcyra
