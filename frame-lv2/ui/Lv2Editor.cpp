#include "frame-lv2/ui/Lv2Editor.h"

#include <cstdint>
#include <filesystem>

#include "editor/EditorLayout.h"
#include "frame-lv2/Lv2Effect.h"
#include "graphics/IGraphics.h"
#include "graphics/PlatformWindow.h"

namespace halcyra::lv2 {
namespace {

constexpr int kCanvasWidth = 760;
constexpr int kCanvasHeight = 560;
constexpr int kFramesPerSecond = 60;
constexpr float kInitialScale = 1.2f;

bool isParameter(int index) { return index >= 0 && index < kNumParams; }

}  // namespace

Lv2Editor::Lv2Editor(const HostLinks& links) : host_(links) {
    for (int i = 0; i < kNumParams; ++i) values_[i] = host_.effect->plugin().parameters().get(i);
}

Lv2Editor::~Lv2Editor() {
    // The window draws its graphics until it goes.
    window_.reset();
    ui_.reset();
}

bool Lv2Editor::open() {
    ui_ = std::make_unique<IGraphics>(this, kCanvasWidth, kCanvasHeight, kFramesPerSecond, kInitialScale);
    BuildEditorLayout(*ui_, *this);
    ui_->SetResizeRequestFunction([this](int w, int h) { onResizeRequest(w, h); });
    window_ = CreatePlatformWindow(*ui_);
    if (!window_ || !window_->Open(host_.parent)) return false;
    acceptedScale_ = ui_->GetDrawScale();
    sizeHints_.publish(window_->NativeHandle(), ui_->PixelWidth(), ui_->PixelHeight());
    if (host_.resize) host_.resize->ui_resize(host_.resize->handle, ui_->PixelWidth(), ui_->PixelHeight());
    return true;
}

LV2UI_Widget Lv2Editor::widget() const {
    return window_ ? reinterpret_cast<LV2UI_Widget>(static_cast<std::uintptr_t>(window_->NativeHandle())) : nullptr;
}

void Lv2Editor::portEvent(std::uint32_t port, std::uint32_t size, std::uint32_t format, const void* buffer) {
    const int index = static_cast<int>(port);
    if (!isParameter(index) || format != 0 || size != sizeof(float) || buffer == nullptr) return;
    const float v = *static_cast<const float*>(buffer);
    if (!isAcceptableValue(v)) return;
    values_[index] = constrainValue(index, v);
    if (ui_) ui_->SetControlValueFromDelegate(index, toNormalized(index, values_[index]));
}

void Lv2Editor::idle() {
    if (!window_) return;
    window_->ProcessEvents();
    const auto start = std::chrono::steady_clock::now();
    if (start >= nextFrame_) {
        window_->Tick();
        // Hosts call idle from a timer that outranks their own layout and redraw
        // (suil's GTK wrapper does). A frame slower than the timer's period (software
        // OpenGL, a busy machine) would keep the timer always due, and the host would
        // never lay out the widgets around our window: it gets at least as long as
        // the frame took before the next one starts.
        const auto end = std::chrono::steady_clock::now();
        nextFrame_ = end + (end - start);
    }
    window_->ProcessEvents();  // whatever arrived during the buffer swap
}

// --- What the editor reads and changes -------------------------------------------------

double Lv2Editor::paramValue(int index) const { return isParameter(index) ? values_[index] : 0.0; }

SkyFeedReader& Lv2Editor::skyFeedReader() { return host_.effect->plugin().skyFeedReader(); }

double Lv2Editor::sampleRate() const { return host_.effect->plugin().preparedSampleRate(); }

EditorCommandQueue& Lv2Editor::commandQueue() { return host_.effect->plugin().commandQueue(); }

PresetStore& Lv2Editor::presetStore() { return host_.effect->presetStore(); }

AbCompareState& Lv2Editor::abCompare() { return host_.effect->abCompare(); }

std::string Lv2Editor::resourcePath(const std::string& name) const {
    // Plain file names only: anything with a separator could reach outside the bundle.
    if (host_.bundlePath.empty() || name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return {};
    const std::filesystem::path candidate = std::filesystem::path(host_.bundlePath) / name;
    std::error_code ec;
    return std::filesystem::is_regular_file(candidate, ec) ? candidate.string() : std::string();
}

void Lv2Editor::openWithSystem(const std::string& urlOrPath) { opener_.Open(urlOrPath); }

void Lv2Editor::sendValue(int index, double value) {
    values_[index] = value;
    const float port = static_cast<float>(value);
    host_.write(host_.controller, static_cast<std::uint32_t>(index), sizeof port, 0, &port);
}

double Lv2Editor::setFromPlugin(int index, double value) {
    if (!isParameter(index)) return 0.0;
    // The plug-in's own store takes the value at once, so a sky jump queued right
    // after a preset recall is computed from the new weather, whenever the host
    // delivers the port writes.
    const double held = host_.effect->plugin().parameters().set(index, isAcceptableValue(value) ? value : values_[index]);
    if (host_.touch) host_.touch->touch(host_.touch->handle, static_cast<std::uint32_t>(index), true);
    sendValue(index, held);
    if (host_.touch) host_.touch->touch(host_.touch->handle, static_cast<std::uint32_t>(index), false);
    const double normalized = toNormalized(index, held);
    if (ui_) ui_->SetControlValueFromDelegate(index, normalized);
    return normalized;
}

void Lv2Editor::BeginEdit(int paramIdx) {
    if (isParameter(paramIdx) && host_.touch)
        host_.touch->touch(host_.touch->handle, static_cast<std::uint32_t>(paramIdx), true);
}

void Lv2Editor::SetParameterFromUI(int paramIdx, double normalized) {
    if (!isParameter(paramIdx) || !isAcceptableValue(normalized)) return;
    sendValue(paramIdx, fromNormalized(paramIdx, normalized));
}

void Lv2Editor::EndEdit(int paramIdx) {
    if (isParameter(paramIdx) && host_.touch)
        host_.touch->touch(host_.touch->handle, static_cast<std::uint32_t>(paramIdx), false);
}

double Lv2Editor::GetParamNormalized(int paramIdx) const {
    return isParameter(paramIdx) ? toNormalized(paramIdx, values_[paramIdx]) : 0.0;
}

double Lv2Editor::GetParamDefaultNormalized(int paramIdx) const {
    return isParameter(paramIdx) ? toNormalized(paramIdx, paramInfo(paramIdx).defaultValue) : 0.0;
}

// --- Size -----------------------------------------------------------------------------

void Lv2Editor::onResizeRequest(int pixelWidth, int pixelHeight) {
    if (revertingScale_ || !ui_ || !window_) return;
    // The editor's corner resizer asks; a host that refuses gets the old size back.
    sizeHints_.publish(window_->NativeHandle(), pixelWidth, pixelHeight);
    const bool refused = host_.resize && host_.resize->ui_resize(host_.resize->handle, pixelWidth, pixelHeight) != 0;
    if (!refused) {
        acceptedScale_ = ui_->GetDrawScale();
        window_->SetSize(pixelWidth, pixelHeight);
        return;
    }
    revertingScale_ = true;
    ui_->SetScale(acceptedScale_);
    revertingScale_ = false;
    sizeHints_.publish(window_->NativeHandle(), ui_->PixelWidth(), ui_->PixelHeight());
}

}  // namespace halcyra::lv2
