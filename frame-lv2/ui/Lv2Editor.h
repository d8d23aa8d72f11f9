// The editor as an LV2 X11 UI: the same layout and controls as in the VST3 module,
// in a child of the host's window, ticked by the host's idle calls. Parameters
// travel through the port protocol (the host writes them into the plug-in's control
// ports); the sky view's feed and the sky clicks go straight to the plug-in object,
// which the host hands over through instance access.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <string>

#include <lv2/ui/ui.h>

#include "editor/EditorContext.h"
#include "editor/SystemOpener.h"
#include "frame-lv2/ui/X11SizeHints.h"
#include "graphics/IEditorDelegate.h"
#include "plugin/ParameterEditor.h"
#include "plugin/Parameters.h"

namespace halcyra {
class IGraphics;
class PlatformWindow;
}  // namespace halcyra

namespace halcyra::lv2 {

class Lv2Effect;

class Lv2Editor final : public EditorContext, public ParameterEditor, public IEditorDelegate {
public:
    struct HostLinks {
        Lv2Effect* effect = nullptr;        // instance access (required)
        void* parent = nullptr;             // ui:parent (required)
        const LV2UI_Resize* resize = nullptr;  // optional
        const LV2UI_Touch* touch = nullptr;    // optional
        LV2UI_Write_Function write = nullptr;
        LV2UI_Controller controller = nullptr;
        std::string bundlePath;
    };

    explicit Lv2Editor(const HostLinks& links);
    ~Lv2Editor() override;
    Lv2Editor(const Lv2Editor&) = delete;
    Lv2Editor& operator=(const Lv2Editor&) = delete;

    // Builds the controls and opens the window; false when the window system refuses.
    bool open();
    LV2UI_Widget widget() const;

    // Host calls, user-interface thread.
    void portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer);
    void idle();

    // EditorContext
    double paramValue(int index) const override;
    ParameterEditor& parameterEditor() override { return *this; }
    SkyFeedReader& skyFeedReader() override;
    double sampleRate() const override;
    EditorCommandQueue& commandQueue() override;
    PresetStore& presetStore() override;
    AbCompareState& abCompare() override;
    std::string resourcePath(const std::string& name) const override;
    void openWithSystem(const std::string& urlOrPath) override;

    // ParameterEditor: preset recall, user presets and A/B change values as the plug-in.
    double value(int index) const override { return paramValue(index); }
    double setFromPlugin(int index, double value) override;

    // IEditorDelegate: knob gestures.
    void BeginEdit(int paramIdx) override;
    void SetParameterFromUI(int paramIdx, double normalized) override;
    void EndEdit(int paramIdx) override;
    double GetParamNormalized(int paramIdx) const override;
    double GetParamDefaultNormalized(int paramIdx) const override;

private:
    void sendValue(int index, double value);
    void onResizeRequest(int pixelWidth, int pixelHeight);

    HostLinks host_;
    std::array<double, kNumParams> values_{};  // own units, as the host's ports last held them
    SystemOpener opener_;
    std::unique_ptr<IGraphics> ui_;
    std::unique_ptr<PlatformWindow> window_;
    X11SizeHints sizeHints_;
    std::chrono::steady_clock::time_point nextFrame_{};  // idle calls before it only handle events
    float acceptedScale_ = 0.0f;
    bool revertingScale_ = false;
};

}  // namespace halcyra::lv2
