// The Response knob: the shared knob look plus its value written inside the knob,
// in milliseconds or, in beats mode, as quarter notes 1/4 … 8/4. In beats mode a
// drag or wheel step lands the value on a multiple of 1/7 (one step per quarter).
#pragma once

#include <string>

#include "graphics/controls/IVKnobControl.h"

namespace halcyra {

class EditorContext;

class ResponseKnobControl : public IVKnobControl {
public:
    static constexpr int kBeatSteps = 7;
    static constexpr double kFullScaleMs = 3000.0;
    // Share of the face radius where the pointer starts, clear of the widest value text.
    static constexpr float kPointerStart = 0.74f;

    ResponseKnobControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                        EditorContext& ctx);

    void Draw(Canvas& g) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
    void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta) override;

    // What the knob writes for the current value and Response Mode.
    std::string ValueText() const;
    static std::string ValueText(double normalized, bool beats);
    // The nearest of the eight beat positions 0, 1/7, …, 1.
    static double SnapToBeats(double normalized);

private:
    bool BeatsMode() const;
    void SnapIfBeats();

    EditorContext& mCtx;
};

}  // namespace halcyra
