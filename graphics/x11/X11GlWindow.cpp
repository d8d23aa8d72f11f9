#include "graphics/x11/X11GlWindow.h"

#include <X11/Xutil.h>

#include <cstdint>
#include <cstdlib>

#include "graphics/IGraphics.h"
#include "graphics/x11/X11KeyTranslation.h"

namespace halcyra {

namespace {

// Xlib reports errors asynchronously and its default handler exits the process,
// which in a plug-in means killing the host. While a trap is alive, errors are
// counted instead; the previous handler comes back afterwards.
class XErrorTrap {
public:
    explicit XErrorTrap(Display* d) : mDisplay(d) {
        XSync(mDisplay, False);
        sErrors = 0;
        mPrevious = XSetErrorHandler(&XErrorTrap::Count);
    }
    ~XErrorTrap() {
        XSync(mDisplay, False);
        XSetErrorHandler(mPrevious);
    }
    bool Failed() {
        XSync(mDisplay, False);
        return sErrors != 0;
    }

private:
    static int Count(Display*, XErrorEvent*) {
        ++sErrors;
        return 0;
    }
    static inline int sErrors = 0;
    Display* mDisplay;
    XErrorHandler mPrevious;
};

// Paints can happen while the host has its own GL context current on this thread;
// it gets it back afterwards. Our own context is never "restored": Close() may just
// have destroyed it.
class GlContextGuard {
public:
    explicit GlContextGuard(GLXContext own)
        : mDisplay(glXGetCurrentDisplay()), mDrawable(glXGetCurrentDrawable()), mContext(glXGetCurrentContext()) {
        if (mContext == own) mContext = nullptr;
    }
    ~GlContextGuard() {
        if (mDisplay != nullptr && mContext != nullptr) glXMakeCurrent(mDisplay, mDrawable, mContext);
    }

private:
    Display* mDisplay;
    GLXDrawable mDrawable;
    GLXContext mContext;
};

IMouseMod ModFromState(unsigned state, unsigned button) {
    return IMouseMod(button == Button1 || (state & Button1Mask) != 0, button == Button3 || (state & Button3Mask) != 0,
                     (state & ShiftMask) != 0, (state & ControlMask) != 0, (state & Mod1Mask) != 0);
}

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            EnterWindowMask | LeaveWindowMask | KeyPressMask | KeyReleaseMask |
                            StructureNotifyMask | FocusChangeMask;

}  // namespace

std::unique_ptr<PlatformWindow> CreatePlatformWindow(IGraphics& graphics) {
    return std::make_unique<X11GlWindow>(graphics);
}

X11GlWindow::X11GlWindow(IGraphics& graphics) : mGraphics(graphics) {}

X11GlWindow::~X11GlWindow() { Close(); }

bool X11GlWindow::Open(void* parent) {
    Close();
    const auto parentId = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parent));
    if (parentId == 0) return false;
    mDisplay = XOpenDisplay(nullptr);
    if (mDisplay == nullptr) return false;
    if (!CreateWindowAndContext(parentId)) {
        Close();
        return false;
    }
    mGraphics.SetAllControlsDirty();
    mTicked = false;
    return true;
}

bool X11GlWindow::CreateWindowAndContext(Window parent) {
    int errorBase = 0;
    int eventBase = 0;
    if (!glXQueryExtension(mDisplay, &errorBase, &eventBase)) return false;

    XErrorTrap trap(mDisplay);
    const int screen = DefaultScreen(mDisplay);
    // NanoVG needs a stencil buffer for concave fills.
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                        GLX_STENCIL_SIZE, 8, None};
    XVisualInfo* visual = glXChooseVisual(mDisplay, screen, attributes);
    if (visual == nullptr) return false;

    mColormap = XCreateColormap(mDisplay, RootWindow(mDisplay, screen), visual->visual, AllocNone);
    XSetWindowAttributes swa{};
    swa.colormap = mColormap;
    swa.event_mask = kEventMask;
    swa.border_pixel = 0;
    swa.background_pixmap = None;
    mWindow = XCreateWindow(mDisplay, parent, 0, 0, static_cast<unsigned>(mGraphics.PixelWidth()),
                            static_cast<unsigned>(mGraphics.PixelHeight()), 0, visual->depth, InputOutput,
                            visual->visual, CWColormap | CWEventMask | CWBorderPixel | CWBackPixmap, &swa);
    if (trap.Failed() || mWindow == 0) {
        // A bad parent id makes the creation fail on the server; the id we were
        // handed back names no window.
        mWindow = 0;
        XFree(visual);
        return false;
    }

    mContext = glXCreateContext(mDisplay, visual, nullptr, True);
    if (mContext == nullptr) mContext = glXCreateContext(mDisplay, visual, nullptr, False);
    XFree(visual);
    if (mContext == nullptr || trap.Failed()) return false;

    XMapWindow(mDisplay, mWindow);
    if (trap.Failed()) return false;

    {
        GlContextGuard keepHostContext(mContext);
        if (!MakeCurrent()) return false;
        mCanvas = Canvas::Create();
        if (!mCanvas) return false;
    }

    // Text input goes through the input method when one is available; without it
    // keys still work through the plain lookup.
    mInputMethod = XOpenIM(mDisplay, nullptr, nullptr, nullptr);
    if (mInputMethod != nullptr) {
        mInputContext = XCreateIC(mInputMethod, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow,
                                  mWindow, XNFocusWindow, mWindow, nullptr);
    }
    return !trap.Failed();
}

bool X11GlWindow::MakeCurrent() {
    if (mDisplay == nullptr || mWindow == 0 || mContext == nullptr) return false;
    XErrorTrap trap(mDisplay);
    const bool ok = glXMakeCurrent(mDisplay, mWindow, mContext) == True;
    return ok && !trap.Failed();
}

void X11GlWindow::Close() {
    if (mDisplay == nullptr) return;
    {
        XErrorTrap trap(mDisplay);
        if (mContext != nullptr) {
            GlContextGuard keepHostContext(mContext);
            // The canvas frees textures and shaders, so its context must be current.
            if (mCanvas && MakeCurrent()) {
                mCanvas.reset();
                mTarget.Release();
            }
            mCanvas.reset();
            mTarget.Forget();
            if (glXGetCurrentContext() == mContext) glXMakeCurrent(mDisplay, None, nullptr);
            glXDestroyContext(mDisplay, mContext);
            mContext = nullptr;
        }
        if (mInputContext != nullptr) XDestroyIC(mInputContext);
        if (mInputMethod != nullptr) XCloseIM(mInputMethod);
        mInputContext = nullptr;
        mInputMethod = nullptr;
        if (mWindow != 0) XDestroyWindow(mDisplay, mWindow);
        if (mColormap != 0) XFreeColormap(mDisplay, mColormap);
        mWindow = 0;
        mColormap = 0;
    }
    XCloseDisplay(mDisplay);
    mDisplay = nullptr;
    mButtonDown = false;
    mHoldsFocus = false;
}

void X11GlWindow::SetSize(int pixelWidth, int pixelHeight) {
    if (!IsOpen() || pixelWidth <= 0 || pixelHeight <= 0) return;
    XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(pixelWidth), static_cast<unsigned>(pixelHeight));
    XFlush(mDisplay);
    mGraphics.SetAllControlsDirty();
}

int X11GlWindow::ConnectionFd() const { return mDisplay != nullptr ? ConnectionNumber(mDisplay) : -1; }

void X11GlWindow::ProcessEvents() {
    if (!IsOpen()) return;
    while (IsOpen() && XPending(mDisplay) > 0) {
        XEvent event;
        XNextEvent(mDisplay, &event);
        if (XFilterEvent(&event, None)) continue;  // consumed by the input method
        HandleEvent(event);
    }
    if (IsOpen() && !mGraphics.IsTextEntryActive()) ReturnKeyboardFocus();
}

void X11GlWindow::HandleEvent(XEvent& event) {
    if (event.xany.window != mWindow) return;
    switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) mExposed = true;
            break;
        case ButtonPress: HandleButtonPress(event.xbutton); break;
        case ButtonRelease: HandleButtonRelease(event.xbutton); break;
        case MotionNotify: {
            // Only the newest position matters; older queued motion is dropped.
            while (XCheckTypedWindowEvent(mDisplay, mWindow, MotionNotify, &event)) {}
            HandleMotion(event.xmotion);
            break;
        }
        case LeaveNotify:
            if (!mButtonDown) mGraphics.OnMouseOut();
            break;
        case KeyPress:
        case KeyRelease: HandleKey(event.xkey); break;
        case FocusIn:
            if (mInputContext != nullptr) XSetICFocus(mInputContext);
            break;
        case FocusOut:
            if (mInputContext != nullptr) XUnsetICFocus(mInputContext);
            break;
        default: break;
    }
}

void X11GlWindow::HandleButtonPress(const XButtonEvent& e) {
    const float s = mGraphics.GetDrawScale();
    const float x = e.x / s;
    const float y = e.y / s;
    const IMouseMod mod = ModFromState(e.state, e.button);
    if (e.button == Button4 || e.button == Button5) {
        mGraphics.OnMouseWheel(x, y, mod, e.button == Button4 ? 1.0f : -1.0f);
        return;
    }
    if (e.button != Button1 && e.button != Button3) return;

    const bool isDouble = e.button == Button1 && !mLastPressWasDouble && mLastPressTime != 0 &&
                          static_cast<long>(e.time - mLastPressTime) <= kDoubleClickMs &&
                          std::abs(e.x - mLastPressX) <= kDoubleClickPixels &&
                          std::abs(e.y - mLastPressY) <= kDoubleClickPixels;
    if (e.button == Button1) {
        mLastPressTime = e.time;
        mLastPressX = e.x;
        mLastPressY = e.y;
        // A third quick press starts a new click rather than another double click.
        mLastPressWasDouble = isDouble;
    }
    mButtonDown = true;
    mLastX = x;
    mLastY = y;
    if (isDouble) mGraphics.OnMouseDblClick(x, y, mod);
    else mGraphics.OnMouseDown(x, y, mod);
    if (mGraphics.IsTextEntryActive()) TakeKeyboardFocus();
}

void X11GlWindow::HandleButtonRelease(const XButtonEvent& e) {
    if (e.button != Button1 && e.button != Button3) return;
    const float s = mGraphics.GetDrawScale();
    mButtonDown = false;
    mGraphics.OnMouseUp(e.x / s, e.y / s, ModFromState(e.state, e.button));
}

void X11GlWindow::HandleMotion(const XMotionEvent& e) {
    const float s = mGraphics.GetDrawScale();
    const float x = e.x / s;
    const float y = e.y / s;
    const IMouseMod mod = ModFromState(e.state, 0);
    if (mButtonDown) mGraphics.OnMouseDrag(x, y, x - mLastX, y - mLastY, mod);
    else mGraphics.OnMouseOver(x, y, mod);
    // Read the scale again: a corner-resizer drag changes it and the next delta
    // must be measured in the new units.
    const float s2 = mGraphics.GetDrawScale();
    mLastX = e.x / s2;
    mLastY = e.y / s2;
}

void X11GlWindow::HandleKey(XKeyEvent& e) {
    const IKeyPress key = TranslateX11Key(e, mInputContext);
    if (e.type == KeyPress) mGraphics.OnKeyDown(key);
    else mGraphics.OnKeyUp(key);
}

void X11GlWindow::TakeKeyboardFocus() {
    // Only while typing: the host keeps its shortcuts the rest of the time. A host
    // that has not mapped its window yet refuses; that is not an error worth more.
    XWindowAttributes attributes{};
    XErrorTrap trap(mDisplay);
    if (mHoldsFocus) return;
    if (XGetWindowAttributes(mDisplay, mWindow, &attributes) && attributes.map_state == IsViewable) {
        int revert = 0;
        XGetInputFocus(mDisplay, &mFocusTakenFrom, &revert);
        XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
        mHoldsFocus = !trap.Failed();
    }
}

void X11GlWindow::ReturnKeyboardFocus() {
    // Once typing is over the host gets its keyboard back (its shortcuts, its transport).
    if (!mHoldsFocus) return;
    mHoldsFocus = false;
    Window focused = 0;
    int revert = 0;
    XErrorTrap trap(mDisplay);
    XGetInputFocus(mDisplay, &focused, &revert);
    // Only if nobody else took it meanwhile; a window that has gone away just fails.
    if (focused == mWindow && mFocusTakenFrom != None && mFocusTakenFrom != PointerRoot) {
        XSetInputFocus(mDisplay, mFocusTakenFrom, RevertToParent, CurrentTime);
    }
}

void X11GlWindow::Tick() {
    if (!IsOpen()) return;
    const auto now = std::chrono::steady_clock::now();
    const double dt = mTicked ? std::chrono::duration<double>(now - mLastTick).count() : 1.0 / mGraphics.FPS();
    mLastTick = now;
    mTicked = true;
    // A stalled host loop should not make animations jump ahead seconds at once.
    mGraphics.OnFrame(dt > 0.25 ? 0.25 : dt);
    // The entry may have been closed through the host's key path, without X events.
    if (!mGraphics.IsTextEntryActive()) ReturnKeyboardFocus();
    // Nothing changed and nothing was uncovered: no drawing and no swap at all.
    if (mGraphics.IsDirty() || mExposed) Paint();
}

bool X11GlWindow::Paint() {
    if (!IsOpen() || !mCanvas) return false;
    GlContextGuard keepHostContext(mContext);
    if (!MakeCurrent()) return false;
    if (mTarget.Bind(mGraphics.PixelWidth(), mGraphics.PixelHeight())) {
        mGraphics.Draw(*mCanvas, mTarget.SurfaceId());
        mTarget.CopyToWindow();
    } else {
        mGraphics.Draw(*mCanvas);  // no kept picture: everything, every time
    }
    glXSwapBuffers(mDisplay, mWindow);
    mExposed = false;
    return true;
}

}  // namespace halcyra
