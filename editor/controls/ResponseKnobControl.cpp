#include "editor/controls/ResponseKnobControl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "editor/EditorColors.h"
#include "editor/EditorContext.h"
#include "graphics/Canvas.h"
#include "plugin/ParameterText.h"
#include "plugin/Parameters.h"

namespace halcyra {

namespace {

// Beat index 0..7 for a normalised value; std::lround rounds halves away from zero.
long BeatIndex(double normalized) {
    const long k = std::lround(static_cast<double>(ResponseKnobControl::kBeatSteps) * normalized);
    return std::clamp(k, 0L, static_cast<long>(ResponseKnobControl::kBeatSteps));
}

bool OnBeat(double normalized) {
    const double scaled = normalized * ResponseKnobControl::kBeatSteps;
    return std::fabs(scaled - std::round(scaled)) < 1e-9;
}

}  // namespace

ResponseKnobControl::ResponseKnobControl(const IRECT& bounds, int paramIdx, const char* label, const IVStyle& style,
                                         EditorContext& ctx)
    : IVKnobControl(bounds, paramIdx, label != nullptr ? label : "", style, false, false, -135.0f, 135.0f, -135.0f,
                    EDirection::Vertical, 4.0, 2.0f),
      mCtx(ctx) {
    // The value text sits in the middle of the face: the pointer keeps to the rim so
    // it never crosses "3000 ms".
    SetPointerStart(kPointerStart);
    // Touched or hovered, the caption reads the value as the knob means it: the host's
    // millisecond text in ms mode, the quarter notes in beats mode (the tempo decides
    // the milliseconds then, so the host's text would be wrong).
    SetReadoutFunction([this](double normalized) {
        if (BeatsMode()) return ValueText(normalized, true);
        const int param = GetParamIdx();
        return formatParameterValue(param, fromNormalized(param, normalized));
    });
}

std::string ResponseKnobControl::ValueText(double normalized, bool beats) {
    char buf[32];
    if (beats) {
        std::snprintf(buf, sizeof buf, "%ld/4", BeatIndex(normalized) + 1);
    } else {
        std::snprintf(buf, sizeof buf, "%.0f ms", kFullScaleMs * normalized);
    }
    return buf;
}

std::string ResponseKnobControl::ValueText() const { return ValueText(GetValue(), BeatsMode()); }

double ResponseKnobControl::SnapToBeats(double normalized) {
    return static_cast<double>(BeatIndex(normalized)) / kBeatSteps;
}

bool ResponseKnobControl::BeatsMode() const { return mCtx.paramValue(kResponseMode) > 0.5; }

void ResponseKnobControl::Draw(Canvas& g) {
    IVKnobControl::Draw(g);
    const IText valueStyle(11.0f, kTextColor, "Roboto-Regular", EAlign::Center, EVAlign::Middle);
    g.DrawText(valueStyle, ValueText(), GetWidgetBounds());
}

void ResponseKnobControl::SnapIfBeats() {
    if (!BeatsMode()) return;
    const double snapped = SnapToBeats(GetValue());
    if (snapped != GetValue()) SetValueFromUserInput(snapped);
    SetDirty();
}

void ResponseKnobControl::OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) {
    IVKnobControl::OnMouseDrag(x, y, dX, dY, mod);
    SnapIfBeats();
}

void ResponseKnobControl::OnMouseWheel(float x, float y, const IMouseMod& mod, float delta) {
    const double before = GetValue();
    IVKnobControl::OnMouseWheel(x, y, mod, delta);
    if (!BeatsMode()) return;
    // A wheel step is far smaller than a beat, so snapping alone would pull an
    // on-beat knob straight back: from a beat, each step moves one whole beat.
    long k = BeatIndex(GetValue());
    if (OnBeat(before) && k == BeatIndex(before) && delta != 0.0f) {
        k = std::clamp(k + (delta > 0.0f ? 1L : -1L), 0L, static_cast<long>(kBeatSteps));
    }
    const double snapped = static_cast<double>(k) / kBeatSteps;
    if (snapped != GetValue()) SetValueFromUserInput(snapped);
    SetDirty();
}

}  // namespace halcyra
