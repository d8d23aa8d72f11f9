#include "tools/x11host/X11ParentWindow.h"

#include <X11/Xutil.h>

#include "tools/host/HostError.h"

namespace halcyra::x11host {

namespace {

// Position of the lowest set bit and the width of a visual's colour mask.
void maskShape(unsigned long mask, int& shift, int& bits) {
    shift = 0;
    bits = 0;
    if (mask == 0) return;
    while (((mask >> shift) & 1UL) == 0) ++shift;
    while (((mask >> (shift + bits)) & 1UL) != 0) ++bits;
}

std::uint8_t channel(unsigned long pixel, unsigned long mask) {
    int shift = 0, bits = 0;
    maskShape(mask, shift, bits);
    if (bits == 0) return 0;
    const unsigned long value = (pixel & mask) >> shift;
    const unsigned long maxValue = (1UL << bits) - 1;
    return static_cast<std::uint8_t>(value * 255 / maxValue);
}

// Xlib's default error handler ends the process; a host reading back a window that a
// plug-in has just destroyed should get an empty picture instead.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

}  // namespace

X11ParentWindow::X11ParentWindow(int width, int height) {
    XSetErrorHandler(&ignoreXError);
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) throw host::HostError("cannot open the X display");
    const int screen = DefaultScreen(display_);
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, BlackPixel(display_, screen),
                                  BlackPixel(display_, screen));
    if (window_ == 0) {
        XCloseDisplay(display_);
        throw host::HostError("cannot create the editor's parent window");
    }
    XStoreName(display_, window_, "Halcyra");
    XMapWindow(display_, window_);
    XSync(display_, False);
}

X11ParentWindow::~X11ParentWindow() {
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

void X11ParentWindow::resize(int width, int height) {
    if (width <= 0 || height <= 0) return;
    XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
}

std::vector<Window> X11ParentWindow::children() const {
    XSync(display_, False);
    Window root = 0, parent = 0;
    Window* list = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (XQueryTree(display_, window_, &root, &parent, &list, &count) != 0) {
        result.assign(list, list + count);
        if (list != nullptr) XFree(list);
    }
    return result;
}

bool X11ParentWindow::windowSize(Window w, int& width, int& height) const {
    XWindowAttributes a{};
    if (XGetWindowAttributes(display_, w, &a) == 0) return false;
    width = a.width;
    height = a.height;
    return true;
}

RgbaImage X11ParentWindow::capture(Window w) const { return captureWindow(display_, w); }

RgbaImage captureWindow(Display* display, Window w) {
    RgbaImage image;
    XSync(display, False);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, w, &attributes) == 0 || attributes.width <= 0 || attributes.height <= 0)
        return image;
    const int width = attributes.width, height = attributes.height;
    XImage* x = XGetImage(display, w, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes,
                          ZPixmap);
    if (x == nullptr) return image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int px = 0; px < width; ++px) {
            const unsigned long p = XGetPixel(x, px, y);
            std::uint8_t* out = &image.pixels[4 * (static_cast<std::size_t>(y) * width + px)];
            out[0] = channel(p, x->red_mask);
            out[1] = channel(p, x->green_mask);
            out[2] = channel(p, x->blue_mask);
            out[3] = 255;
        }
    }
    XDestroyImage(x);
    return image;
}

void X11ParentWindow::sendButton(Window w, int x, int y, bool press) const {
    XEvent event{};
    XButtonEvent& b = event.xbutton;
    b.type = press ? ButtonPress : ButtonRelease;
    b.display = display_;
    b.window = w;
    b.root = DefaultRootWindow(display_);
    b.subwindow = None;
    b.time = CurrentTime;
    b.x = x;
    b.y = y;
    b.same_screen = True;
    b.button = Button1;
    b.state = press ? 0 : Button1Mask;
    XSendEvent(display_, w, True, press ? ButtonPressMask : ButtonReleaseMask, &event);
    XFlush(display_);
}

}  // namespace halcyra::x11host
