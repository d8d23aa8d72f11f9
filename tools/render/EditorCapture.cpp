#include "tools/render/EditorCapture.h"

#include "tools/host/HostEditor.h"
#include "tools/host/HostError.h"
#include "tools/host/PluginInstance.h"
#include "tools/x11host/PngFile.h"
#include "tools/x11host/VirtualDisplay.h"
#include "tools/x11host/X11ParentWindow.h"

namespace halcyra::render {

using host::HostError;
using namespace std::chrono;

EditorCapture::EditorCapture(host::PluginInstance& instance, std::string pngPath) : path_(std::move(pngPath)) {
    if (instance.controller() == nullptr) throw HostError("the effect has no controller, so no editor");
    display_ = std::make_unique<x11host::VirtualDisplay>();
    editor_ = std::make_unique<host::HostEditor>(*instance.controller(),
                                                 [this](int w, int h) {
                                                     if (parent_) parent_->resize(w, h);
                                                 });
    const Steinberg::ViewRect size = editor_->size();
    parent_ = std::make_unique<x11host::X11ParentWindow>(size.getWidth(), size.getHeight());
    if (editor_->attach(parent_->id()) != Steinberg::kResultOk) {
        close();
        throw HostError("the editor did not open (no OpenGL on this display?)");
    }
    editor_->pump(milliseconds(100));  // first frames, before any audio
}

EditorCapture::~EditorCapture() { close(); }

void EditorCapture::afterBlock(double audioSeconds) {
    if (finished_) return;
    if (!started_) {
        start_ = steady_clock::now();
        started_ = true;
    }
    const auto due = start_ + duration_cast<steady_clock::duration>(duration<double>(audioSeconds));
    for (auto now = steady_clock::now(); now < due; now = steady_clock::now())
        editor_->runLoop().runOnce(duration_cast<milliseconds>(due - now));
    if (audioSeconds >= kLiveSeconds) finish();
}

void EditorCapture::finish() {
    if (finished_) return;
    finished_ = true;
    editor_->pump(milliseconds(50));  // the newest sky on screen
    const std::vector<Window> children = parent_->children();
    if (children.empty()) {
        close();
        throw HostError("the editor shows no window to capture");
    }
    showEveryControl(children.front());
    const x11host::RgbaImage image = parent_->capture(children.front());
    close();
    x11host::writePng(image, path_);
}

void EditorCapture::showEveryControl(Window editor) {
    int width = 0, height = 0;
    if (!parent_->windowSize(editor, width, height) || width <= 0) return;
    const double scale = width / kCanvasWidth;
    const auto at = [scale](double logical) { return static_cast<int>(logical * scale + 0.5); };
    parent_->sendButton(editor, at(kFoldButtonX), at(kFoldButtonY), true);
    parent_->sendButton(editor, at(kFoldButtonX), at(kFoldButtonY), false);
    // A software-rendered frame can take a good part of a second on a busy machine.
    editor_->pump(milliseconds(kSettleMs));
    parent_->sendButton(editor, at(kHeldKnobX), at(kHeldKnobY), true);  // released when the editor closes
    editor_->pump(milliseconds(kSettleMs));
}

void EditorCapture::close() {
    if (editor_) editor_->close();
    editor_.reset();
    parent_.reset();
    display_.reset();
}

}  // namespace halcyra::render
