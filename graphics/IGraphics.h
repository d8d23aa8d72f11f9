// The editor's graphics context: a fixed logical canvas drawn at a scale factor, the
// controls attached to it (in drawing order), and the routing of frames, mouse and
// keyboard input to them. It knows nothing about windows: a platform window (or the
// offscreen renderer) feeds it events in logical units and asks it to draw.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/DirtyRegion.h"
#include "graphics/FontTable.h"
#include "graphics/IControl.h"
#include "graphics/IKeyPress.h"
#include "graphics/IMouseMod.h"
#include "graphics/IText.h"
#include "graphics/TextEntry.h"
#include "graphics/Tooltip.h"

namespace halcyra {

class Canvas;
class IEditorDelegate;
class ICornerResizerControl;
class IPanelControl;

class IGraphics {
public:
    // Window size limits in pixels; the canvas is only ever scaled uniformly inside them.
    static constexpr int kMinPixelWidth = 253;
    static constexpr int kMaxPixelWidth = 2280;
    static constexpr int kMinPixelHeight = 186;
    static constexpr int kMaxPixelHeight = 1680;

    IGraphics(IEditorDelegate* delegate, int width = 760, int height = 560, int fps = 60, float scale = 1.2f);
    ~IGraphics();
    IGraphics(const IGraphics&) = delete;
    IGraphics& operator=(const IGraphics&) = delete;

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int FPS() const { return mFps; }
    IRECT GetBounds() const { return {0.0f, 0.0f, static_cast<float>(mWidth), static_cast<float>(mHeight)}; }

    float GetDrawScale() const { return mScale; }
    int PixelWidth() const;
    int PixelHeight() const;
    // The smallest and largest scale that keep both pixel sizes inside the limits.
    float MinScale() const;
    float MaxScale() const;
    // Rescales uniformly (clamped to the limits); the layout is not rebuilt. Asks the
    // host window for the new pixel size through the resize request function.
    void SetScale(float scale);
    using ResizeRequestFunction = std::function<void(int pixelWidth, int pixelHeight)>;
    void SetResizeRequestFunction(ResizeRequestFunction f) { mResizeRequest = std::move(f); }

    IEditorDelegate* GetDelegate() const { return mDelegate; }

    // Takes ownership. Later controls draw on top and get the mouse first.
    // A control bound to a parameter starts from the delegate's current value.
    IControl* AttachControl(IControl* control, int tag = kNoTag, const char* group = "");
    // The corner resizer lives apart from the other controls: drawn last, and asked
    // for the mouse after them, so full-window overlays still take every click.
    ICornerResizerControl* AttachCornerResizer(float size = 20.0f);
    ICornerResizerControl* GetCornerResizer() const { return mCornerResizer.get(); }
    IControl* AttachPanelBackground(const IColor& color);
    IControl* GetControlWithTag(int tag) const;
    int NControls() const { return static_cast<int>(mControls.size()); }
    IControl* GetControl(int index) const;
    void RemoveAllControls();

    // Host-side value changes (automation, preset recall) for every control on the parameter.
    void SetControlValueFromDelegate(int paramIdx, double normalized);
    // Called by IControl::SetValueFromUserInput.
    void OnControlValueFromUser(IControl& control);

    bool LoadFont(const char* fontId, const char* fileOrResourceName);
    const FontTable& Fonts() const { return mFonts; }

    // One animation step: controls' per-frame hooks, tooltip and caret timers.
    void OnFrame(double dt);
    bool IsDirty() const;
    void SetAllControlsDirty();
    // Asks for an area to be redrawn that no dirty control covers (a control hidden
    // or moved away, the text entry).
    void InvalidateRect(const IRECT& r);

    // Drawing is limited to what changed: the rectangles of the dirty controls and
    // the invalidated areas, in each of which everything that overlaps it is drawn
    // again in order, from the background up. That needs a surface that still holds
    // what the last Draw put there: pass the same id for it each time (ids come from
    // NewSurfaceId()). Id 0, a different id or a new size repaint everything.
    // Clears the dirty flags either way.
    void Draw(Canvas& g, std::uint64_t surfaceId = 0);
    static std::uint64_t NewSurfaceId();
    // Drawn controls reach this far outside their rectangles (antialiasing, outlines on the edge).
    static constexpr float kRedrawMargin = 2.0f;

    // Mouse input in logical units.
    void OnMouseDown(float x, float y, const IMouseMod& mod);
    void OnMouseUp(float x, float y, const IMouseMod& mod);
    void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod);
    void OnMouseDblClick(float x, float y, const IMouseMod& mod);
    void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta);
    void OnMouseOver(float x, float y, const IMouseMod& mod);
    void OnMouseOut();
    // Topmost visible control under the point that takes the mouse, or nullptr.
    IControl* GetMouseControl(float x, float y) const;
    IControl* GetCapturedControl() const { return mCaptured; }

    // Keyboard: true when the key was used (the host should not also act on it).
    bool OnKeyDown(const IKeyPress& key);
    bool OnKeyUp(const IKeyPress& key);

    // Tooltips also switch on mouse-over tracking.
    void EnableTooltips(bool enable);
    bool TooltipsEnabled() const { return mTooltip.IsEnabled(); }
    void EnableMouseOver(bool enable) { mMouseOverEnabled = enable; }
    bool MouseOverEnabled() const { return mMouseOverEnabled; }
    const Tooltip& GetTooltip() const { return mTooltip; }

    // Opens the text entry over `bounds` (replacing an open one, which is cancelled).
    void CreateTextEntry(const IRECT& bounds, const std::string& initialText, TextEntry::Completion completion,
                         const IText& style = IText(14.0f, IColor(255, 206, 214, 226)));
    bool IsTextEntryActive() const { return mTextEntry != nullptr; }
    const TextEntry* GetTextEntry() const { return mTextEntry.get(); }
    void CancelTextEntry();

    // The colour the canvas is cleared to before the controls draw.
    void SetBackgroundColor(const IColor& c) { mBackground = c; }

private:
    template <typename F>
    void ForEachControl(F&& f);
    void DrawArea(Canvas& g, const PixelRect& area);
    void FinishTextEntry(bool commit);
    void EndGesture();

    IEditorDelegate* mDelegate;
    int mWidth;
    int mHeight;
    int mFps;
    float mScale;
    ResizeRequestFunction mResizeRequest;
    std::vector<std::unique_ptr<IControl>> mControls;
    std::unique_ptr<ICornerResizerControl> mCornerResizer;
    FontTable mFonts;
    IColor mBackground = COLOR_BLACK;
    IPanelControl* mBackgroundPanel = nullptr;
    bool mForceRedraw = true;
    static constexpr std::size_t kMaxInvalidRects = 16;
    std::vector<IRECT> mInvalid;
    std::uint64_t mLastSurface = 0;
    int mLastPixelWidth = 0;
    int mLastPixelHeight = 0;

    IControl* mCaptured = nullptr;   // control that got the mouse down, until mouse up
    int mGestureParam = kNoParameter;
    IControl* mHovered = nullptr;
    bool mMouseOverEnabled = false;
    Tooltip mTooltip;
    std::unique_ptr<TextEntry> mTextEntry;
};

}  // namespace halcyra
