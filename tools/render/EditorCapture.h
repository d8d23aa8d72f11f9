// --editor-png: the module's editor opened beside the render the way a Linux host
// opens it (parent window, run loop, frame), animated in real time while the first
// seconds of audio play through it, then captured to a PNG and closed. The rest of the
// render runs at full speed. Before the picture is taken the extra-controls panel is
// folded out and one knob held down, so the picture shows every control and a readout.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace halcyra::host {
class HostEditor;
class PluginInstance;
}  // namespace halcyra::host

namespace halcyra::x11host {
class VirtualDisplay;
class X11ParentWindow;
}  // namespace halcyra::x11host

namespace halcyra::render {

class EditorCapture {
public:
    // Audio seconds rendered at real-time pace with the editor live: long enough for
    // stars to light up, short enough that the first flashes are still glowing.
    static constexpr double kLiveSeconds = 2.5;

    // Opens the editor (starting a private Xvfb when there is no usable display).
    // Throws host::HostError when it cannot be opened.
    EditorCapture(host::PluginInstance& instance, std::string pngPath);
    ~EditorCapture();
    EditorCapture(const EditorCapture&) = delete;
    EditorCapture& operator=(const EditorCapture&) = delete;

    // After each block: waits until the wall clock catches up with the audio rendered
    // so far, running the editor meanwhile; captures once the live part is over.
    void afterBlock(double audioSeconds);
    // Captures (if not done yet) and closes the editor. Throws host::HostError when the
    // picture cannot be read or written.
    void finish();
    bool finished() const { return finished_; }

private:
    // Where the editor's fold-out button and a knob on the panel ("Decay") sit, in
    // the editor's logical units (the canvas is 760 units wide at any scale).
    static constexpr double kCanvasWidth = 760.0;
    static constexpr double kFoldButtonX = 380.0, kFoldButtonY = 405.0;
    static constexpr double kHeldKnobX = 456.0, kHeldKnobY = 325.0;
    static constexpr int kSettleMs = 1000;

    void showEveryControl(unsigned long editorWindow);
    void close();

    std::string path_;
    std::unique_ptr<x11host::VirtualDisplay> display_;
    std::unique_ptr<x11host::X11ParentWindow> parent_;
    std::unique_ptr<host::HostEditor> editor_;
    std::chrono::steady_clock::time_point start_;
    bool started_ = false;
    bool finished_ = false;
};

}  // namespace halcyra::render
