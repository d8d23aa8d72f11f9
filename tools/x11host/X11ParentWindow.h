// The host's window an editor embeds in: a plain top-level X11 window on its own
// connection, resizable on the plug-in's request, and able to read back what its
// child windows show.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

namespace halcyra::x11host {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // row-major, 4 bytes per pixel, alpha 255
    const std::uint8_t* at(int x, int y) const { return &pixels[4 * (static_cast<std::size_t>(y) * width + x)]; }
};

// What window `w` on `display` shows now (any window, the root too); empty image when
// it cannot be read.
RgbaImage captureWindow(Display* display, Window w);

class X11ParentWindow {
public:
    // Opens DISPLAY and maps the window; throws host::HostError when either fails.
    X11ParentWindow(int width, int height);
    ~X11ParentWindow();
    X11ParentWindow(const X11ParentWindow&) = delete;
    X11ParentWindow& operator=(const X11ParentWindow&) = delete;

    Window id() const { return window_; }
    Display* display() const { return display_; }

    void resize(int width, int height);
    // Direct children (the embedded editor's window while one is attached).
    std::vector<Window> children() const;
    // The window's current contents; empty image when it cannot be read.
    RgbaImage capture(Window w) const;
    bool windowSize(Window w, int& width, int& height) const;
    // Sends a left-button press or release at (x, y) pixels of window w, as the
    // X server would deliver one.
    void sendButton(Window w, int x, int y, bool press) const;

private:
    Display* display_ = nullptr;
    Window window_ = 0;
};

}  // namespace halcyra::x11host
