// Base class of everything on the editor's canvas. A control has a rectangle in
// logical units, an optional parameter it shows and edits (normalised 0..1), and
// hooks for drawing, the mouse and per-frame animation that subclasses override.
#pragma once

#include <functional>
#include <string>

#include "graphics/IMouseMod.h"
#include "graphics/IRECT.h"

namespace halcyra {

class Canvas;
class IGraphics;

inline constexpr int kNoParameter = -1;
inline constexpr int kNoTag = -1;

class IControl {
public:
    explicit IControl(const IRECT& bounds, int paramIdx = kNoParameter);
    virtual ~IControl() = default;
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    virtual void Draw(Canvas& g) = 0;

    virtual void OnMouseDown(float x, float y, const IMouseMod& mod);
    virtual void OnMouseUp(float x, float y, const IMouseMod& mod);
    virtual void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod);
    // A double click counts as a second press unless a control says otherwise.
    virtual void OnMouseDblClick(float x, float y, const IMouseMod& mod) { OnMouseDown(x, y, mod); }
    virtual void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta);
    virtual void OnMouseOver(float x, float y, const IMouseMod& mod);
    virtual void OnMouseOut();
    // Called once per frame, before drawing, on every attached control (shown or not).
    virtual void OnFrame(double dt);
    // Called when the control joins an IGraphics (GetUI() is valid from here on).
    virtual void OnAttached() {}
    // The editor changed the value from the host side (automation, preset recall).
    virtual void SetValueFromDelegate(double normalized) { SetValue(normalized); }
    virtual bool IsHit(float x, float y) const { return mTargetRECT.Contains(x, y); }

    // Value, clamped to 0..1; a change marks the control dirty.
    double GetValue() const { return mValue; }
    void SetValue(double normalized);
    // A change made by the user: stored, sent to the host through the delegate
    // (inside a gesture if one is running) and redrawn.
    void SetValueFromUserInput(double normalized);
    // The value a double click returns to: the parameter's default, or the control's own.
    double GetDefaultValue() const;
    void SetDefaultValue(double normalized) { mDefaultValue = normalized; }

    int GetParamIdx() const { return mParamIdx; }
    void SetParamIdx(int paramIdx) { mParamIdx = paramIdx; }
    int GetTag() const { return mTag; }
    void SetTag(int tag) { mTag = tag; }

    const IRECT& GetRECT() const { return mRECT; }
    // Where Draw may paint: the rectangle, or more for a control that draws beyond it.
    virtual IRECT GetDrawRECT() const { return mRECT; }
    // Moves the control; where it was gets redrawn too.
    void SetRECT(const IRECT& r);
    const IRECT& GetTargetRECT() const { return mTargetRECT; }
    void SetTargetRECT(const IRECT& r) { mTargetRECT = r; }

    bool IsHidden() const { return mHide; }
    void Hide(bool hide);
    bool GetIgnoreMouse() const { return mIgnoreMouse; }
    void SetIgnoreMouse(bool ignore) { mIgnoreMouse = ignore; }
    bool GetMouseIsOver() const { return mMouseIsOver; }

    const std::string& GetTooltip() const { return mTooltip; }
    void SetTooltip(std::string text) { mTooltip = std::move(text); }

    bool IsDirty() const { return mDirty; }
    void SetDirty(bool dirty = true) { mDirty = dirty; }

    // Per-frame animation without subclassing: runs from OnFrame.
    using FrameFunction = std::function<void(IControl&, double dt)>;
    void SetFrameFunction(FrameFunction f) { mFrameFunction = std::move(f); }

    IGraphics* GetUI() const { return mGraphics; }
    void SetUI(IGraphics* graphics) { mGraphics = graphics; }

protected:
    IRECT mRECT;
    IRECT mTargetRECT;
    int mParamIdx;
    int mTag = kNoTag;
    double mValue = 0.0;
    double mDefaultValue = 0.0;
    bool mHide = false;
    bool mIgnoreMouse = false;
    bool mMouseIsOver = false;
    bool mDirty = true;
    std::string mTooltip;
    FrameFunction mFrameFunction;
    IGraphics* mGraphics = nullptr;
};

}  // namespace halcyra
