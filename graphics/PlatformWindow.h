// The editor's native window, as the plug-in view uses it: a child of the host's
// window with an OpenGL context, fed by the host's run loop (no threads of our own).
// The view calls ProcessEvents() when ConnectionFd() is readable and Tick() from a
// 60 Hz timer; everything else follows from those two.
#pragma once

#include <memory>

namespace halcyra {

class IGraphics;

class PlatformWindow {
public:
    virtual ~PlatformWindow() = default;

    // Creates the child window inside `parent` (an X11 Window id on Linux, an HWND on
    // Windows) at the graphics' pixel size. False, with nothing left behind, when the
    // window system or OpenGL refuse: the host then simply gets no editor.
    virtual bool Open(void* parent) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Resizes the native window (the view calls this from onSize).
    virtual void SetSize(int pixelWidth, int pixelHeight) = 0;
    // Dispatches every pending window-system event to the graphics.
    virtual void ProcessEvents() = 0;
    // Advances animation by the time since the last tick and redraws if anything changed.
    virtual void Tick() = 0;
    // Redraws now, whatever the dirty state.
    virtual bool Paint() = 0;
    // The descriptor the host's run loop watches; -1 when there is none.
    virtual int ConnectionFd() const = 0;
    // The native window handle (X11 Window id), or 0 when closed.
    virtual unsigned long NativeHandle() const = 0;
};

// The implementation for this platform (X11 + GLX on Linux), bound to `graphics`,
// which must outlive it.
std::unique_ptr<PlatformWindow> CreatePlatformWindow(IGraphics& graphics);

}  // namespace halcyra
