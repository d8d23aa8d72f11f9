// The editor as the host sees it on Linux: an IPlugView that embeds the editor's X11
// window in the host's parent window, runs on the host's run loop, and keeps its own
// size (only the editor's corner resizer and the host's content scale change it).
// The graphics context and every control live from attached() to removed(); what must
// outlast them (preset store, A/B state) lives in the effect's FrameEditorContext.
#pragma once

#include <memory>

#include "base/source/fobject.h"
#include "frame/FrameParameterEditor.h"
#include "frame/view/HostEditDelegate.h"
#include "frame/view/RunLoopGlue.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

namespace Steinberg::Vst {
class EditController;
}

namespace halcyra {
class IGraphics;
class PlatformWindow;
}  // namespace halcyra

namespace halcyra::vst3 {

class FrameEditorContext;

class HalcyraView final : public Steinberg::FObject,
                          public Steinberg::IPlugView,
                          public Steinberg::IPlugViewContentScaleSupport,
                          public ParameterViewListener {
public:
    static constexpr int kCanvasWidth = 760;
    static constexpr int kCanvasHeight = 560;
    static constexpr int kFramesPerSecond = 60;
    static constexpr float kInitialScale = 1.2f;
    static constexpr Steinberg::uint64 kFrameMilliseconds = 16;

    // `owner` is kept referenced so the controller and the context outlive the view.
    HalcyraView(Steinberg::Vst::EditController& controller, Steinberg::FUnknown* owner, FrameEditorContext& context,
                Steinberg::FUnknown* hostContext);
    ~HalcyraView() override;

    // IPlugView
    Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API removed() override;
    Steinberg::tresult PLUGIN_API onWheel(float distance) override;
    Steinberg::tresult PLUGIN_API onKeyDown(Steinberg::char16 key, Steinberg::int16 keyCode,
                                            Steinberg::int16 modifiers) override;
    Steinberg::tresult PLUGIN_API onKeyUp(Steinberg::char16 key, Steinberg::int16 keyCode,
                                          Steinberg::int16 modifiers) override;
    Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
    Steinberg::tresult PLUGIN_API onFocus(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setFrame(Steinberg::IPlugFrame* frame) override;
    Steinberg::tresult PLUGIN_API canResize() override;
    Steinberg::tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect* rect) override;

    // IPlugViewContentScaleSupport
    Steinberg::tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override;

    // ParameterViewListener: host automation, state restore, preset recall.
    void parameterChanged(int index, double normalized) override;

    OBJ_METHODS(HalcyraView, FObject)
    DEFINE_INTERFACES
        DEF_INTERFACE(IPlugView)
        DEF_INTERFACE(IPlugViewContentScaleSupport)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    bool open(void* parent);
    void close();
    float wantedScale() const;
    void currentPixelSize(int& width, int& height) const;
    void onScaleRequest(int pixelWidth, int pixelHeight);

    Steinberg::Vst::EditController& controller_;
    Steinberg::IPtr<Steinberg::FUnknown> owner_;
    FrameEditorContext& context_;
    Steinberg::IPtr<Steinberg::FUnknown> hostContext_;
    Steinberg::IPtr<Steinberg::IPlugFrame> frame_;
    HostEditDelegate delegate_;

    std::unique_ptr<IGraphics> ui_;
    std::unique_ptr<PlatformWindow> window_;
    RunLoopGlue runLoop_;

    // The editor's own zoom (corner resizer) times the host's content scale gives the
    // drawing scale; the window's pixel size follows the scale the host last accepted.
    float userScale_ = kInitialScale;
    float contentScale_ = 1.0f;
    float acceptedScale_ = 0.0f;
    bool revertingScale_ = false;
};

}  // namespace halcyra::vst3
