#include "frame/view/HalcyraView.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "editor/EditorLayout.h"
#include "frame/EntryGuard.h"
#include "frame/FrameEditorContext.h"
#include "graphics/IGraphics.h"
#include "graphics/IKeyPress.h"
#include "graphics/PlatformWindow.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

namespace halcyra::vst3 {

using namespace Steinberg;

namespace {

// An editor closed from inside one of its own run-loop callbacks is still on the call
// stack (its window is dispatching the event that led to the close); it is destroyed
// once the host calls us from outside a callback.
struct ClosedEditor {
    std::unique_ptr<PlatformWindow> window;
    std::unique_ptr<IGraphics> ui;
};
std::vector<ClosedEditor>& closedEditors() {
    static std::vector<ClosedEditor> list;
    return list;
}

void releaseDeferred() {
    if (RunLoopGlue::insideCallback()) return;
    RunLoopGlue::flushDeferred();
    // Windows before their graphics: a window draws its graphics until it goes.
    std::vector<ClosedEditor> closed;
    closed.swap(closedEditors());
    for (ClosedEditor& e : closed) e.window.reset();
}

float clampedScale(float scale) {
    const float minScale = std::max(static_cast<float>(IGraphics::kMinPixelWidth) / HalcyraView::kCanvasWidth,
                                    static_cast<float>(IGraphics::kMinPixelHeight) / HalcyraView::kCanvasHeight);
    const float maxScale = std::min(static_cast<float>(IGraphics::kMaxPixelWidth) / HalcyraView::kCanvasWidth,
                                    static_cast<float>(IGraphics::kMaxPixelHeight) / HalcyraView::kCanvasHeight);
    return std::clamp(std::isfinite(scale) ? scale : HalcyraView::kInitialScale, minScale, maxScale);
}

int pixels(int units, float scale) { return static_cast<int>(std::lround(units * scale)); }

}  // namespace

HalcyraView::HalcyraView(Vst::EditController& controller, FUnknown* owner, FrameEditorContext& context,
                         FUnknown* hostContext)
    : controller_(controller), owner_(owner), context_(context), hostContext_(hostContext),
      delegate_(controller, context, this) {}

HalcyraView::~HalcyraView() {
    close();
    releaseDeferred();
}

// --- Attaching ------------------------------------------------------------------------

tresult PLUGIN_API HalcyraView::isPlatformTypeSupported(FIDString type) {
    return type != nullptr && std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API HalcyraView::attached(void* parent, FIDString type) {
    releaseDeferred();
    if (parent == nullptr || isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
    if (ui_) return kResultFalse;  // already showing in a parent
    bool ok = false;
    try {
        ok = open(parent);
    } catch (...) {
        ok = false;  // out of memory while building: the host just gets no editor
    }
    if (!ok) close();
    return ok ? kResultOk : kResultFalse;
}

bool HalcyraView::open(void* parent) {
    const IPtr<Linux::IRunLoop> loop = findRunLoop(frame_, hostContext_);
    if (!loop) return false;  // without the host's loop the window would never paint or answer

    ui_ = std::make_unique<IGraphics>(&delegate_, kCanvasWidth, kCanvasHeight, kFramesPerSecond, wantedScale());
    BuildEditorLayout(*ui_, context_);
    ui_->SetResizeRequestFunction([this](int w, int h) { onScaleRequest(w, h); });

    window_ = CreatePlatformWindow(*ui_);
    if (!window_ || !window_->Open(parent)) return false;
    acceptedScale_ = ui_->GetDrawScale();

    PlatformWindow* window = window_.get();
    // Xlib reads events into its own queue during other calls (a buffer swap, a sync),
    // and those never make the descriptor readable again: every frame drains the queue.
    const auto frame = [window] {
        window->ProcessEvents();
        window->Tick();
        window->ProcessEvents();  // whatever arrived during the buffer swap
    };
    if (!runLoop_.connect(loop, window->ConnectionFd(), [window] { window->ProcessEvents(); }, frame,
                          kFrameMilliseconds))
        return false;
    context_.addView(this);
    return true;
}

tresult PLUGIN_API HalcyraView::removed() {
    const bool wasOpen = ui_ != nullptr;
    close();
    releaseDeferred();
    return wasOpen ? kResultOk : kResultFalse;
}

void HalcyraView::close() {
    context_.removeView(this);
    runLoop_.disconnect();
    if (window_) window_->Close();
    if (RunLoopGlue::insideCallback() && (window_ || ui_)) {
        try {
            std::vector<ClosedEditor>& closed = closedEditors();
            closed.reserve(closed.size() + 1);  // may throw; the move below cannot
            closed.push_back({std::move(window_), std::move(ui_)});
        } catch (...) {
            // No memory to remember them: leaking the closed editor beats freeing code
            // that is still running.
            (void)window_.release();
            (void)ui_.release();
        }
    }
    window_.reset();
    ui_.reset();
    acceptedScale_ = 0.0f;
}

// --- Size -----------------------------------------------------------------------------

float HalcyraView::wantedScale() const { return clampedScale(userScale_ * contentScale_); }

void HalcyraView::currentPixelSize(int& width, int& height) const {
    // While open: the size the host last accepted, which is the window's size.
    const float scale = ui_ && acceptedScale_ > 0.0f ? acceptedScale_ : wantedScale();
    width = pixels(kCanvasWidth, scale);
    height = pixels(kCanvasHeight, scale);
}

tresult PLUGIN_API HalcyraView::getSize(ViewRect* size) {
    if (size == nullptr) return kInvalidArgument;
    int w = 0, h = 0;
    currentPixelSize(w, h);
    *size = ViewRect(0, 0, w, h);
    return kResultTrue;
}

tresult PLUGIN_API HalcyraView::onSize(ViewRect* newSize) {
    if (newSize == nullptr) return kInvalidArgument;
    return guarded([&]() -> tresult {
        const int w = newSize->getWidth();
        const int h = newSize->getHeight();
        if (ui_ && window_ && w == ui_->PixelWidth() && h == ui_->PixelHeight()) {
            // The size we asked for through resizeView: now the window may follow.
            acceptedScale_ = ui_->GetDrawScale();
            window_->SetSize(w, h);
            return kResultTrue;
        }
        int cw = 0, ch = 0;
        currentPixelSize(cw, ch);
        // Any other size is the host resizing on its own, which this editor does not allow.
        return w == cw && h == ch ? kResultTrue : kResultFalse;
    });
}

tresult PLUGIN_API HalcyraView::canResize() { return kResultFalse; }

tresult PLUGIN_API HalcyraView::checkSizeConstraint(ViewRect* rect) {
    if (rect == nullptr) return kInvalidArgument;
    int w = 0, h = 0;
    currentPixelSize(w, h);
    rect->right = rect->left + w;
    rect->bottom = rect->top + h;
    return kResultTrue;
}

tresult PLUGIN_API HalcyraView::setContentScaleFactor(ScaleFactor factor) {
    if (!std::isfinite(factor) || factor <= 0.0f) return kInvalidArgument;
    return guarded([&]() -> tresult {
        contentScale_ = factor;
        if (ui_) {
            // The editor's own zoom stays what the user chose; only the host's factor changed.
            const float keepUserScale = userScale_;
            ui_->SetScale(wantedScale());
            userScale_ = keepUserScale;
        }
        return kResultTrue;
    });
}

void HalcyraView::onScaleRequest(int pixelWidth, int pixelHeight) {
    if (revertingScale_ || !ui_) return;
    bool accepted = false;
    if (frame_) {
        ViewRect wanted(0, 0, pixelWidth, pixelHeight);
        accepted = frame_->resizeView(this, &wanted) == kResultTrue;
    }
    if (accepted) {
        userScale_ = ui_->GetDrawScale() / contentScale_;
        return;
    }
    // Refused (or no frame to ask): the canvas goes back to the size of its window.
    if (acceptedScale_ > 0.0f) {
        revertingScale_ = true;
        ui_->SetScale(acceptedScale_);
        revertingScale_ = false;
    }
}

// --- Input and host values --------------------------------------------------------------

tresult PLUGIN_API HalcyraView::onKeyDown(char16 key, int16 keyCode, int16 modifiers) {
    return guarded([&]() -> tresult {
        if (!ui_) return kResultFalse;
        // Only keys the editor really used are claimed; the rest stay the host's shortcuts.
        return ui_->OnKeyDown(KeyPressFromVst3(static_cast<char16_t>(key), keyCode, modifiers)) ? kResultTrue
                                                                                                 : kResultFalse;
    });
}

tresult PLUGIN_API HalcyraView::onKeyUp(char16 key, int16 keyCode, int16 modifiers) {
    return guarded([&]() -> tresult {
        if (!ui_) return kResultFalse;
        return ui_->OnKeyUp(KeyPressFromVst3(static_cast<char16_t>(key), keyCode, modifiers)) ? kResultTrue
                                                                                               : kResultFalse;
    });
}

tresult PLUGIN_API HalcyraView::onWheel(float) { return kResultFalse; }  // wheel events come through the window

tresult PLUGIN_API HalcyraView::onFocus(TBool) { return kResultOk; }

tresult PLUGIN_API HalcyraView::setFrame(IPlugFrame* frame) {
    frame_ = frame;
    return kResultTrue;
}

void HalcyraView::parameterChanged(int index, double normalized) {
    // Reached from host calls that have no guard of their own (setParamNormalized).
    try {
        if (ui_) ui_->SetControlValueFromDelegate(index, normalized);
    } catch (...) {
    }
}

}  // namespace halcyra::vst3
