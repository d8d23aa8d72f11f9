// halcyra-x11-snapshot OUT.png: a picture of the whole screen of $DISPLAY, for
// checking by eye what an outside host (jalv, Ardour) shows of the editor.
#include <X11/Xlib.h>

#include <cstdio>
#include <exception>

#include "tools/x11host/PngFile.h"
#include "tools/x11host/X11ParentWindow.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: halcyra-x11-snapshot OUT.png\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "halcyra-x11-snapshot: cannot open the display\n");
        return 1;
    }
    int status = 0;
    try {
        halcyra::x11host::writePng(halcyra::x11host::captureWindow(display, DefaultRootWindow(display)), argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "halcyra-x11-snapshot: %s\n", e.what());
        status = 1;
    }
    XCloseDisplay(display);
    return status;
}
