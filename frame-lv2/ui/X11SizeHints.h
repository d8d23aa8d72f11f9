// The editor window's size as hosts built on suil read it: the window's WM normal
// hints give the natural and the minimum size of the host's widget around it. They
// are set before the host hears of a size (at opening, before every resize request),
// so the host's request, natural and minimum size always agree.
#pragma once

struct _XDisplay;

namespace halcyra::lv2 {

class X11SizeHints {
public:
    X11SizeHints();  // its own display connection; none when the display refuses
    ~X11SizeHints();
    X11SizeHints(const X11SizeHints&) = delete;
    X11SizeHints& operator=(const X11SizeHints&) = delete;

    void publish(unsigned long window, int pixelWidth, int pixelHeight);

private:
    _XDisplay* display_;
};

}  // namespace halcyra::lv2
