// The vector knob: a round face with a pointer, a value arc swept between two
// angles, and a label (and optionally the value as text). Dragging changes the
// value, a double click returns it to its default and the wheel steps it. With a
// readout function, the label strip shows the value's text while the knob is
// pressed or hovered, so the number never covers anything else.
#pragma once

#include <functional>
#include <string>

#include "graphics/IControl.h"
#include "graphics/controls/IVStyle.h"

namespace halcyra {

enum class EDirection { Vertical, Horizontal };

class IVKnobControl : public IControl {
public:
    // A drag of this many logical units per unit of gearing covers the full range;
    // holding shift makes it kFineFactor times finer.
    static constexpr double kDragUnitsPerGearing = 50.0;
    static constexpr double kFineFactor = 10.0;
    static constexpr double kDefaultWheelStep = 0.025;

    IVKnobControl(const IRECT& bounds, int paramIdx, std::string label = "", const IVStyle& style = DEFAULT_STYLE,
                  bool valueIsEditable = false, bool valueInWidget = false, float a1 = -135.0f, float a2 = 135.0f,
                  float aAnchor = -135.0f, EDirection direction = EDirection::Vertical, double gearing = 4.0,
                  float trackSize = 2.0f);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;
    void OnMouseUp(float x, float y, const IMouseMod& mod) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
    void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;
    void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta) override;

    const IVStyle& GetStyle() const { return mStyle; }
    void SetStyle(const IVStyle& style) { mStyle = style; SetDirty(); }
    void SetColor(EVColor c, const IColor& color) { mStyle.colorSpec.Set(c, color); SetDirty(); }
    const std::string& GetLabel() const { return mLabel; }
    void SetWheelStep(double step) { mWheelStep = step; }
    double GetGearing() const { return mGearing; }
    bool IsPressed() const { return mPressed; }

    // Text for a normalised value, shown in place of the label while pressed or hovered.
    using ReadoutFunction = std::function<std::string(double normalized)>;
    void SetReadoutFunction(ReadoutFunction f) { mReadout = std::move(f); SetDirty(); }
    // What the label strip shows now: the readout or the label.
    std::string GetCaptionText() const;
    // Where the pointer line starts, as a share of the face radius (leaves room for text inside).
    void SetPointerStart(float fraction) { mPointerStart = fraction; SetDirty(); }

    // Parts of the rectangle: the label strip, the value strip and the square the
    // knob itself is drawn in (already reduced by the widget fraction).
    IRECT GetLabelBounds() const;
    IRECT GetValueBounds() const;
    IRECT GetWidgetBounds() const;
    float ValueToAngle(double v) const { return mAngle1 + static_cast<float>(v) * (mAngle2 - mAngle1); }

protected:
    // The value as text when the style shows it; subclasses give units.
    virtual std::string GetValueText() const;
    void DrawWidget(Canvas& g);

    std::string mLabel;
    IVStyle mStyle;
    bool mValueInWidget;
    float mAngle1, mAngle2, mAnchorAngle;
    EDirection mDirection;
    double mGearing;
    float mTrackSize;
    double mWheelStep = kDefaultWheelStep;
    bool mPressed = false;
    ReadoutFunction mReadout;
    float mPointerStart = 0.3f;
    // The unclamped-by-snapping position of a drag, so a subclass that snaps the
    // value still sees small movements add up.
    double mDragValue = 0.0;
};

}  // namespace halcyra
