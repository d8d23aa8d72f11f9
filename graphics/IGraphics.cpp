#include "graphics/IGraphics.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "graphics/Canvas.h"
#include "graphics/IEditorDelegate.h"
#include "graphics/controls/ICornerResizerControl.h"
#include "graphics/controls/IPanelControl.h"

namespace halcyra {

IGraphics::IGraphics(IEditorDelegate* delegate, int width, int height, int fps, float scale)
    : mDelegate(delegate), mWidth(std::max(width, 1)), mHeight(std::max(height, 1)), mFps(fps), mScale(1.0f) {
    mScale = std::clamp(std::isfinite(scale) ? scale : 1.0f, MinScale(), MaxScale());
}

IGraphics::~IGraphics() = default;

int IGraphics::PixelWidth() const { return static_cast<int>(std::lround(mWidth * mScale)); }
int IGraphics::PixelHeight() const { return static_cast<int>(std::lround(mHeight * mScale)); }

float IGraphics::MinScale() const {
    return std::max(static_cast<float>(kMinPixelWidth) / mWidth, static_cast<float>(kMinPixelHeight) / mHeight);
}

float IGraphics::MaxScale() const {
    return std::min(static_cast<float>(kMaxPixelWidth) / mWidth, static_cast<float>(kMaxPixelHeight) / mHeight);
}

void IGraphics::SetScale(float scale) {
    if (!std::isfinite(scale)) return;
    const float clamped = std::clamp(scale, MinScale(), MaxScale());
    if (clamped == mScale) return;
    mScale = clamped;
    SetAllControlsDirty();
    if (mResizeRequest) mResizeRequest(PixelWidth(), PixelHeight());
}

template <typename F>
void IGraphics::ForEachControl(F&& f) {
    for (auto& c : mControls) f(*c);
    if (mCornerResizer) f(*mCornerResizer);
}

IControl* IGraphics::AttachControl(IControl* control, int tag, const char* /*group*/) {
    if (control == nullptr) return nullptr;
    mControls.emplace_back(control);
    control->SetUI(this);
    control->SetTag(tag);
    if (control->GetParamIdx() != kNoParameter && mDelegate != nullptr) {
        control->SetValueFromDelegate(mDelegate->GetParamNormalized(control->GetParamIdx()));
    }
    control->OnAttached();
    control->SetDirty();
    return control;
}

ICornerResizerControl* IGraphics::AttachCornerResizer(float size) {
    mCornerResizer = std::make_unique<ICornerResizerControl>(GetBounds(), size);
    mCornerResizer->SetUI(this);
    mCornerResizer->OnAttached();
    return mCornerResizer.get();
}

IControl* IGraphics::AttachPanelBackground(const IColor& color) {
    mBackground = color;
    mBackgroundPanel = new IPanelControl(GetBounds(), color);
    return AttachControl(mBackgroundPanel);
}

IControl* IGraphics::GetControlWithTag(int tag) const {
    if (tag == kNoTag) return nullptr;
    for (const auto& c : mControls) {
        if (c->GetTag() == tag) return c.get();
    }
    return nullptr;
}

IControl* IGraphics::GetControl(int index) const {
    if (index < 0 || index >= NControls()) return nullptr;
    return mControls[static_cast<std::size_t>(index)].get();
}

void IGraphics::RemoveAllControls() {
    EndGesture();
    mCaptured = nullptr;
    mHovered = nullptr;
    mTooltip.Reset();
    mTextEntry.reset();
    mControls.clear();
    mCornerResizer.reset();
    mBackgroundPanel = nullptr;
    mInvalid.clear();
    mForceRedraw = true;
}

void IGraphics::SetControlValueFromDelegate(int paramIdx, double normalized) {
    if (paramIdx == kNoParameter) return;
    for (auto& c : mControls) {
        if (c->GetParamIdx() == paramIdx) c->SetValueFromDelegate(normalized);
    }
}

void IGraphics::OnControlValueFromUser(IControl& control) {
    const int param = control.GetParamIdx();
    if (param == kNoParameter) return;
    const double v = control.GetValue();
    if (mDelegate != nullptr) {
        if (param == mGestureParam) {
            mDelegate->SetParameterFromUI(param, v);
        } else {
            // A change outside a press (wheel, a programmatic edit) is a gesture of its own.
            mDelegate->BeginEdit(param);
            mDelegate->SetParameterFromUI(param, v);
            mDelegate->EndEdit(param);
        }
    }
    // Other controls showing the same parameter follow at once.
    for (auto& c : mControls) {
        if (c.get() != &control && c->GetParamIdx() == param) c->SetValueFromDelegate(v);
    }
}

bool IGraphics::LoadFont(const char* fontId, const char* fileOrResourceName) {
    if (fontId == nullptr || fileOrResourceName == nullptr) return false;
    if (!mFonts.Load(fontId, fileOrResourceName)) return false;
    mForceRedraw = true;
    return true;
}

void IGraphics::OnFrame(double dt) {
    if (!std::isfinite(dt) || dt < 0.0) dt = 0.0;
    ForEachControl([dt](IControl& c) { c.OnFrame(dt); });
    if (mTooltip.Advance(dt)) mForceRedraw = true;
    if (mTextEntry) {
        mTextEntry->OnFrame(dt);
        InvalidateRect(mTextEntry->GetRECT());  // caret blink
    }
}

bool IGraphics::IsDirty() const {
    if (mForceRedraw || !mInvalid.empty()) return true;
    for (const auto& c : mControls) {
        if (c->IsDirty() && !c->IsHidden()) return true;
    }
    return mCornerResizer && mCornerResizer->IsDirty();
}

void IGraphics::SetAllControlsDirty() { mForceRedraw = true; }

void IGraphics::InvalidateRect(const IRECT& r) {
    if (r.Empty()) return;
    // Frames may pass without a draw (a closed window, a test): the same caret area
    // every frame must not pile up.
    for (const IRECT& o : mInvalid) {
        if (o.Intersect(r) == r) return;
    }
    if (mInvalid.size() >= kMaxInvalidRects) {
        for (const IRECT& o : mInvalid) mInvalid.front() = mInvalid.front().Union(o);
        mInvalid.resize(1);
    }
    mInvalid.push_back(r);
}

std::uint64_t IGraphics::NewSurfaceId() {
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

void IGraphics::Draw(Canvas& g, std::uint64_t surfaceId) {
    const int w = PixelWidth();
    const int h = PixelHeight();
    DirtyRegion region(w, h);
    if (mForceRedraw || surfaceId == 0 || surfaceId != mLastSurface || w != mLastPixelWidth || h != mLastPixelHeight) {
        region.AddAll();
    } else {
        ForEachControl([&](IControl& c) {
            if (c.IsDirty() && !c.IsHidden()) region.Add(c.GetDrawRECT().GetPadded(kRedrawMargin), mScale);
        });
        for (const IRECT& r : mInvalid) region.Add(r.GetPadded(kRedrawMargin), mScale);
    }
    g.SyncFonts(mFonts);
    for (const PixelRect& area : region.Rects()) DrawArea(g, area);
    ForEachControl([](IControl& c) { c.SetDirty(false); });
    mInvalid.clear();
    mForceRedraw = false;
    mLastSurface = surfaceId;
    mLastPixelWidth = w;
    mLastPixelHeight = h;
}

void IGraphics::DrawArea(Canvas& g, const PixelRect& area) {
    g.BeginFrame(PixelWidth(), PixelHeight(), mScale, area);
    // An opaque background panel over the whole canvas is what the clear paints: filling
    // it again would be one more pass over every pixel of the area.
    const IPanelControl* background = mBackgroundPanel;
    if (background != nullptr &&
        (background->IsHidden() || background->GetColor().A != 255 || !(background->GetRECT() == GetBounds())))
        background = nullptr;
    g.Clear(background != nullptr ? background->GetColor() : mBackground);
    const IRECT logical = IRECT(static_cast<float>(area.x0), static_cast<float>(area.y0), static_cast<float>(area.x1),
                                static_cast<float>(area.y1))
                              .GetScaled(1.0f / mScale);
    const auto drawOne = [&](IControl& c) {
        if (&c == background || c.IsHidden() || logical.Intersect(c.GetDrawRECT().GetPadded(kRedrawMargin)).Empty()) return;
        g.Save();
        c.Draw(g);
        g.Restore();
    };
    for (auto& c : mControls) drawOne(*c);
    if (mCornerResizer) drawOne(*mCornerResizer);
    if (mTextEntry) mTextEntry->Draw(g);
    mTooltip.Draw(g, static_cast<float>(mWidth), static_cast<float>(mHeight));
    g.EndFrame();
}

IControl* IGraphics::GetMouseControl(float x, float y) const {
    for (auto it = mControls.rbegin(); it != mControls.rend(); ++it) {
        IControl& c = **it;
        if (!c.IsHidden() && !c.GetIgnoreMouse() && c.IsHit(x, y)) return &c;
    }
    if (mCornerResizer && !mCornerResizer->IsHidden() && mCornerResizer->IsHit(x, y)) return mCornerResizer.get();
    return nullptr;
}

void IGraphics::EndGesture() {
    if (mGestureParam != kNoParameter && mDelegate != nullptr) mDelegate->EndEdit(mGestureParam);
    mGestureParam = kNoParameter;
}

void IGraphics::OnMouseDown(float x, float y, const IMouseMod& mod) {
    mTooltip.Reset();
    if (mTextEntry && !mTextEntry->GetRECT().Contains(x, y)) FinishTextEntry(false);
    if (mTextEntry) return;  // clicks inside the field belong to the field
    EndGesture();
    mCaptured = GetMouseControl(x, y);
    if (mCaptured == nullptr) return;
    if (mCaptured->GetParamIdx() != kNoParameter && mDelegate != nullptr) {
        mGestureParam = mCaptured->GetParamIdx();
        mDelegate->BeginEdit(mGestureParam);
    }
    mCaptured->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseDblClick(float x, float y, const IMouseMod& mod) {
    mTooltip.Reset();
    if (mTextEntry && !mTextEntry->GetRECT().Contains(x, y)) FinishTextEntry(false);
    if (mTextEntry) return;
    EndGesture();
    mCaptured = GetMouseControl(x, y);
    if (mCaptured == nullptr) return;
    if (mCaptured->GetParamIdx() != kNoParameter && mDelegate != nullptr) {
        mGestureParam = mCaptured->GetParamIdx();
        mDelegate->BeginEdit(mGestureParam);
    }
    mCaptured->OnMouseDblClick(x, y, mod);
}

void IGraphics::OnMouseUp(float x, float y, const IMouseMod& mod) {
    IControl* target = mCaptured;
    mCaptured = nullptr;
    if (target != nullptr && !target->IsHidden()) target->OnMouseUp(x, y, mod);
    EndGesture();
}

void IGraphics::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) {
    // A control hidden in the middle of a drag (an overlay closing) stops receiving it.
    if (mCaptured != nullptr && !mCaptured->IsHidden()) mCaptured->OnMouseDrag(x, y, dX, dY, mod);
}

void IGraphics::OnMouseWheel(float x, float y, const IMouseMod& mod, float delta) {
    if (!std::isfinite(delta) || delta == 0.0f) return;
    if (IControl* c = GetMouseControl(x, y)) c->OnMouseWheel(x, y, mod, delta);
}

void IGraphics::OnMouseOver(float x, float y, const IMouseMod& mod) {
    if (!mMouseOverEnabled) return;
    IControl* over = GetMouseControl(x, y);
    if (over != mHovered) {
        if (mHovered != nullptr) mHovered->OnMouseOut();
        mHovered = over;
    }
    if (over != nullptr) over->OnMouseOver(x, y, mod);
    const bool wasShowing = mTooltip.IsShowing();
    mTooltip.Hover(over, x, y);
    if (wasShowing != mTooltip.IsShowing()) mForceRedraw = true;
}

void IGraphics::OnMouseOut() {
    if (mHovered != nullptr) mHovered->OnMouseOut();
    mHovered = nullptr;
    if (mTooltip.IsShowing()) mForceRedraw = true;
    mTooltip.Reset();
}

bool IGraphics::OnKeyDown(const IKeyPress& key) {
    if (!mTextEntry) return false;
    switch (mTextEntry->HandleKey(key)) {
        case TextEntry::Outcome::Commit: FinishTextEntry(true); break;
        case TextEntry::Outcome::Cancel: FinishTextEntry(false); break;
        case TextEntry::Outcome::Editing: InvalidateRect(mTextEntry->GetRECT()); break;
    }
    return true;
}

bool IGraphics::OnKeyUp(const IKeyPress&) { return mTextEntry != nullptr; }

void IGraphics::EnableTooltips(bool enable) {
    mTooltip.SetEnabled(enable);
    if (enable) mMouseOverEnabled = true;
}

void IGraphics::CreateTextEntry(const IRECT& bounds, const std::string& initialText, TextEntry::Completion completion,
                                const IText& style) {
    if (mTextEntry) FinishTextEntry(false);
    mTextEntry = std::make_unique<TextEntry>(bounds, initialText, style, std::move(completion));
    InvalidateRect(bounds);
}

void IGraphics::CancelTextEntry() {
    if (mTextEntry) FinishTextEntry(false);
}

void IGraphics::FinishTextEntry(bool commit) {
    // Close first: the completion may well open another entry or hide controls.
    std::unique_ptr<TextEntry> entry = std::move(mTextEntry);
    InvalidateRect(entry->GetRECT());
    if (!commit) return;
    std::string text = entry->GetText();
    if (TextEntry::Completion done = entry->TakeCompletion()) done(text);
}

}  // namespace halcyra
