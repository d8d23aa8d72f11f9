// The X11 editor window under a virtual X server: embedding in a parent window,
// painting, event translation, and repeated open/close without leaks.
#include <gtest/gtest.h>

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "graphics/IGraphics.h"
#include "graphics/controls/IVKnobControl.h"
#include "graphics/x11/X11GlWindow.h"

namespace halcyra::test {
namespace {

// Starts Xvfb when no display is set (and stops it at the end); skips when there is neither.
class VirtualDisplay : public ::testing::Environment {
public:
    static inline bool available = false;

    void SetUp() override {
        if (const char* d = std::getenv("DISPLAY"); d != nullptr && *d != '\0') {
            Display* probe = XOpenDisplay(nullptr);
            if (probe != nullptr) {
                XCloseDisplay(probe);
                available = true;
                return;
            }
        }
        if (access("/usr/bin/Xvfb", X_OK) != 0) return;
        std::string display(1, ':');
        display += std::to_string(90 + getpid() % 400);
        mServer = fork();
        if (mServer == 0) {
            execl("/usr/bin/Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        if (mServer < 0) return;
        setenv("DISPLAY", display.c_str(), 1);
        for (int i = 0; i < 100 && !available; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            // Held open for the whole run: a server with no clients left may reset
            // and refuse connections for a moment.
            if ((mKeepAlive = XOpenDisplay(nullptr)) != nullptr) available = true;
        }
    }

    void TearDown() override {
        if (mKeepAlive != nullptr) XCloseDisplay(mKeepAlive);
        if (mServer > 0) {
            kill(mServer, SIGTERM);
            waitpid(mServer, nullptr, 0);
        }
    }

private:
    pid_t mServer = -1;
    Display* mKeepAlive = nullptr;
};

const auto* const kDisplayEnvironment = ::testing::AddGlobalTestEnvironment(new VirtualDisplay);

int OpenDescriptorCount() {
    int n = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++n;
        closedir(dir);
    }
    return n;
}

class RecordingControl : public IControl {
public:
    using IControl::IControl;
    std::vector<std::string> events;
    void Draw(Canvas&) override {}
    void OnMouseDown(float x, float y, const IMouseMod&) override { events.push_back(Where("down", x, y)); }
    void OnMouseDblClick(float x, float y, const IMouseMod&) override { events.push_back(Where("dbl", x, y)); }
    void OnMouseUp(float, float, const IMouseMod&) override { events.push_back("up"); }
    void OnMouseWheel(float, float, const IMouseMod&, float d) override { events.push_back(d > 0 ? "wheel+" : "wheel-"); }

private:
    static std::string Where(const char* what, float x, float y) {
        std::string s(what);
        s.append(1, ' ').append(std::to_string(std::lround(x))).append(1, ',').append(std::to_string(std::lround(y)));
        return s;
    }
};

class X11Window : public ::testing::Test {
protected:
    Display* display = nullptr;
    Window parent = 0;

    void SetUp() override {
        if (!VirtualDisplay::available) GTEST_SKIP() << "no X server and no Xvfb";
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1000, 800, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    void TearDown() override {
        if (display != nullptr) {
            XDestroyWindow(display, parent);
            XCloseDisplay(display);
        }
    }
    unsigned ChildCount() {
        Window root = 0, par = 0, *children = nullptr;
        unsigned n = 0;
        XQueryTree(display, parent, &root, &par, &children, &n);
        if (children != nullptr) XFree(children);
        return n;
    }
    void* ParentHandle() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(parent)); }

    // Sends a synthetic event to the child and lets the window read it.
    void Send(X11GlWindow& w, XEvent ev, long mask) {
        ev.xany.window = w.NativeHandle();
        ev.xany.display = display;
        XSendEvent(display, w.NativeHandle(), False, mask, &ev);
        XSync(display, False);
        for (int i = 0; i < 50; ++i) {
            XSync(w.GetDisplay(), False);
            if (XPending(w.GetDisplay()) > 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        w.ProcessEvents();
    }
    XEvent Button(int type, unsigned button, int x, int y, Time t) {
        XEvent ev{};
        ev.xbutton.type = type;
        ev.xbutton.button = button;
        ev.xbutton.x = x;
        ev.xbutton.y = y;
        ev.xbutton.time = t;
        ev.xbutton.same_screen = True;
        return ev;
    }
    XEvent Key(KeySym sym) {
        XEvent ev{};
        ev.xkey.type = KeyPress;
        ev.xkey.keycode = XKeysymToKeycode(display, sym);
        ev.xkey.same_screen = True;
        ev.xkey.root = DefaultRootWindow(display);
        return ev;
    }
};

TEST_F(X11Window, OpensPaintsAndClosesTwentyTimesWithoutLeaking) {
    IGraphics ui(nullptr);
    ui.AttachPanelBackground(IColor(255, 14, 16, 22));
    ui.AttachControl(new IVKnobControl(IRECT(12, 430, 86, 522), kNoParameter, "SIZE"));
    int baseline = -1;
    for (int i = 0; i < 21; ++i) {
        X11GlWindow window(ui);
        ASSERT_TRUE(window.Open(ParentHandle())) << "cycle " << i;
        EXPECT_TRUE(window.IsOpen());
        EXPECT_GE(window.ConnectionFd(), 0);
        EXPECT_EQ(ChildCount(), 1u);
        EXPECT_TRUE(window.Paint());
        window.ProcessEvents();
        window.Tick();
        window.Close();
        EXPECT_FALSE(window.IsOpen());
        EXPECT_EQ(window.ConnectionFd(), -1);
        XSync(display, False);
        EXPECT_EQ(ChildCount(), 0u);
        // The first cycle loads the GL driver, which keeps some files open for good.
        if (i == 0) baseline = OpenDescriptorCount();
    }
    EXPECT_EQ(OpenDescriptorCount(), baseline);
}

TEST_F(X11Window, RefusesAMissingOrBogusParentWithoutCrashing) {
    IGraphics ui(nullptr);
    X11GlWindow window(ui);
    EXPECT_FALSE(window.Open(nullptr));
    EXPECT_FALSE(window.Open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x3ffffff))));
    EXPECT_FALSE(window.IsOpen());
    EXPECT_FALSE(window.Paint());
    window.Tick();
    window.ProcessEvents();
    EXPECT_EQ(window.ConnectionFd(), -1);
}

TEST_F(X11Window, TheHostsOwnGlContextIsCurrentAgainAfterPaintingAndClosing) {
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    ASSERT_NE(visual, nullptr);
    Colormap colormap = XCreateColormap(display, parent, visual->visual, AllocNone);
    XSetWindowAttributes swa{};
    swa.colormap = colormap;
    Window hostWindow = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, visual->depth, InputOutput,
                                      visual->visual, CWColormap, &swa);
    GLXContext hostContext = glXCreateContext(display, visual, nullptr, True);
    XFree(visual);
    ASSERT_NE(hostContext, nullptr);
    ASSERT_TRUE(glXMakeCurrent(display, hostWindow, hostContext));
    {
        IGraphics ui(nullptr);
        X11GlWindow window(ui);
        ASSERT_TRUE(window.Open(ParentHandle()));
        EXPECT_EQ(glXGetCurrentContext(), hostContext);
        EXPECT_TRUE(window.Paint());
        EXPECT_EQ(glXGetCurrentContext(), hostContext);
        window.Close();
        EXPECT_EQ(glXGetCurrentContext(), hostContext);
        EXPECT_EQ(glXGetCurrentDrawable(), hostWindow);
    }
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, hostContext);
    XDestroyWindow(display, hostWindow);
    XFreeColormap(display, colormap);
}

TEST_F(X11Window, SetSizeResizesTheChildWindow) {
    IGraphics ui(nullptr);
    X11GlWindow window(ui);
    ASSERT_TRUE(window.Open(ParentHandle()));
    Window root;
    int x, y;
    unsigned w, h, border, depth;
    XGetGeometry(display, window.NativeHandle(), &root, &x, &y, &w, &h, &border, &depth);
    EXPECT_EQ(w, 912u);
    EXPECT_EQ(h, 672u);
    ui.SetScale(1.5f);
    window.SetSize(ui.PixelWidth(), ui.PixelHeight());
    XSync(display, False);
    XGetGeometry(display, window.NativeHandle(), &root, &x, &y, &w, &h, &border, &depth);
    EXPECT_EQ(w, 1140u);
    EXPECT_EQ(h, 840u);
    EXPECT_TRUE(window.Paint());
}

TEST_F(X11Window, MouseEventsArriveInLogicalUnitsWithDoubleClicksDetected) {
    IGraphics ui(nullptr, 760, 560, 60, 2.0f);
    auto* probe = static_cast<RecordingControl*>(ui.AttachControl(new RecordingControl(IRECT(0, 0, 400, 400))));
    X11GlWindow window(ui);
    ASSERT_TRUE(window.Open(ParentHandle()));
    Send(window, Button(ButtonPress, Button1, 200, 100, 1000), ButtonPressMask);
    Send(window, Button(ButtonRelease, Button1, 200, 100, 1050), ButtonReleaseMask);
    Send(window, Button(ButtonPress, Button1, 202, 101, 1200), ButtonPressMask);  // quick, close: double
    Send(window, Button(ButtonRelease, Button1, 202, 101, 1250), ButtonReleaseMask);
    Send(window, Button(ButtonPress, Button1, 202, 101, 1300), ButtonPressMask);  // a third press is single
    Send(window, Button(ButtonRelease, Button1, 202, 101, 1350), ButtonReleaseMask);
    Send(window, Button(ButtonPress, Button1, 202, 101, 3000), ButtonPressMask);  // too late for a double
    Send(window, Button(ButtonRelease, Button1, 202, 101, 3050), ButtonReleaseMask);
    Send(window, Button(ButtonPress, Button4, 100, 100, 4000), ButtonPressMask);
    Send(window, Button(ButtonPress, Button5, 100, 100, 4100), ButtonPressMask);
    EXPECT_EQ(probe->events, (std::vector<std::string>{"down 100,50", "up", "dbl 101,51", "up", "down 101,51", "up",
                                                       "down 101,51", "up", "wheel+", "wheel-"}));
}

TEST_F(X11Window, ClickOpeningATextEntryTakesTheKeyboardAndTypingReturnsIt) {
    struct SaveButton : IControl {
        using IControl::IControl;
        std::string result = "<none>";
        void Draw(Canvas&) override {}
        void OnMouseDown(float, float, const IMouseMod&) override {
            GetUI()->CreateTextEntry(mRECT, "", [this](const std::string& t) { result = t; });
        }
    };
    IGraphics ui(nullptr, 760, 560, 60, 1.0f);
    auto* button = static_cast<SaveButton*>(ui.AttachControl(new SaveButton(IRECT(10, 10, 120, 34))));
    X11GlWindow window(ui);
    ASSERT_TRUE(window.Open(ParentHandle()));
    XSync(window.GetDisplay(), False);
    XSetInputFocus(display, parent, RevertToParent, CurrentTime);
    XSync(display, False);

    Send(window, Button(ButtonPress, Button1, 20, 20, 100), ButtonPressMask);
    Send(window, Button(ButtonRelease, Button1, 20, 20, 150), ButtonReleaseMask);
    ASSERT_TRUE(ui.IsTextEntryActive());
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(display, &focused, &revert);
    EXPECT_EQ(focused, window.NativeHandle());

    for (KeySym s : {XK_s, XK_k, XK_y, XK_x, XK_BackSpace, XK_Return}) Send(window, Key(s), KeyPressMask);
    EXPECT_EQ(button->result, "sky");
    EXPECT_FALSE(ui.IsTextEntryActive());
    XSync(display, False);
    XGetInputFocus(display, &focused, &revert);
    EXPECT_EQ(focused, parent);
}

}  // namespace
}  // namespace halcyra::test
