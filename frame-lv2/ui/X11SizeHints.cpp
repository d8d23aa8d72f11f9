#include "frame-lv2/ui/X11SizeHints.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace halcyra::lv2 {

X11SizeHints::X11SizeHints() : display_(XOpenDisplay(nullptr)) {}

X11SizeHints::~X11SizeHints() {
    if (display_) XCloseDisplay(display_);
}

void X11SizeHints::publish(unsigned long window, int pixelWidth, int pixelHeight) {
    if (!display_ || window == 0 || pixelWidth <= 0 || pixelHeight <= 0) return;
    XSizeHints hints{};
    // The editor scales only through its own corner resizer: smaller than its size
    // the host would cut it off.
    hints.flags = PBaseSize | PMinSize;
    hints.base_width = hints.min_width = pixelWidth;
    hints.base_height = hints.min_height = pixelHeight;
    XSetWMNormalHints(display_, window, &hints);
    // The host reads them on its own connection, possibly before our next request.
    XSync(display_, False);
}

}  // namespace halcyra::lv2
