#include "editor/controls/OutputMeterControl.h"

#include <algorithm>
#include <cmath>

#include "graphics/Canvas.h"
#include "plugin/ParameterText.h"
#include "plugin/Parameters.h"

namespace halcyra {

namespace {
constexpr int kTroughAlpha = 71;
constexpr int kLevelAlpha = 140;
constexpr int kMarkerLineLift = 38;

float Sanitised(float level) { return std::isfinite(level) ? level : 0.0f; }
}  // namespace

OutputMeterControl::OutputMeterControl(const IRECT& bounds, int paramIdx, const IColor& accent, const IColor& text,
                                       const IColor& dim, const IColor& frame)
    : IControl(bounds, paramIdx), mAccent(accent), mText(text), mDim(dim), mFrame(frame) {
    // Without a host to ask, a double click still lands on 0 dB.
    if (paramIdx >= 0 && paramIdx < kNumParams) SetDefaultValue(toNormalized(paramIdx, paramInfo(paramIdx).defaultValue));
}

float OutputMeterControl::LevelToFraction(float level) {
    if (!(level > kSilenceLevel)) return 0.0f;
    const float f = (20.0f * std::log10(level) - kFloorDb) / -kFloorDb;
    return std::clamp(f, 0.0f, 1.0f);
}

double OutputMeterControl::ValueForX(float x) const {
    const float x0 = mRECT.L + 1.0f;
    const float x1 = mRECT.R - 1.0f;
    const double v = (static_cast<double>(x) - x0) / std::max(x1 - x0, 1.0f);
    return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : GetValue();
}

void OutputMeterControl::SetMeterValues(float peakL, float peakR, float rmsL, float rmsR) {
    peakL = Sanitised(peakL);
    peakR = Sanitised(peakR);
    rmsL = Sanitised(rmsL);
    rmsR = Sanitised(rmsR);
    if (peakL == mPeakL && peakR == mPeakR && rmsL == mRmsL && rmsR == mRmsR) return;
    mPeakL = peakL;
    mPeakR = peakR;
    mRmsL = rmsL;
    mRmsR = rmsR;
    SetDirty();
}

void OutputMeterControl::SetAccentColor(const IColor& accent) {
    if (accent == mAccent) return;
    mAccent = accent;
    SetDirty();
}

void OutputMeterControl::DrawBar(Canvas& g, const IRECT& bar, float rms, float peak) const {
    g.FillRoundRect(mFrame.WithAlpha(kTroughAlpha), bar, 1.0f);
    const float fill = LevelToFraction(rms);
    if (fill > 0.0f) {
        g.FillRoundRect(mAccent.WithAlpha(kLevelAlpha), IRECT(bar.L, bar.T, bar.L + fill * bar.W(), bar.B), 1.0f);
    }
    const float peakAt = LevelToFraction(peak);
    if (peakAt > 0.0f) {
        const float x = bar.L + peakAt * bar.W();
        g.DrawLine(mText, x, bar.T - 0.5f, x, bar.B + 0.5f, 1.0f);
    }
}

void OutputMeterControl::Draw(Canvas& g) {
    const float x0 = mRECT.L + 1.0f;
    const float x1 = mRECT.R - 1.0f;
    const float mid = mRECT.MH();

    DrawBar(g, IRECT(x0, mid - 4.0f, x1, mid - 1.0f), mRmsL, mPeakL);
    DrawBar(g, IRECT(x0, mid + 1.0f, x1, mid + 4.0f), mRmsR, mPeakR);

    const float x = x0 + static_cast<float>(GetValue()) * (x1 - x0);
    g.FillRoundRect(mText, IRECT(x - 1.6f, mid - 7.0f, x + 1.6f, mid + 7.0f), 1.4f);
    g.DrawLine(mAccent.Brightened(kMarkerLineLift), x, mid - 7.0f, x, mid + 7.0f, 1.0f);

    const std::string readout = ReadoutText();
    if (!readout.empty())
        g.DrawText(IText(11.0f, mText, "Roboto-Regular", EAlign::Far, EVAlign::Middle), readout, ReadoutBounds());
}

std::string OutputMeterControl::ReadoutText() const {
    const int p = GetParamIdx();
    if (!(mPressed || mMouseIsOver) || p < 0 || p >= kNumParams) return {};
    return formatParameterValue(p, fromNormalized(p, GetValue()));
}

void OutputMeterControl::OnMouseDown(float x, float, const IMouseMod&) {
    mPressed = true;
    SetValueFromUserInput(ValueForX(x));
}

void OutputMeterControl::OnMouseUp(float, float, const IMouseMod&) {
    mPressed = false;
    SetDirty();
}

void OutputMeterControl::OnMouseDrag(float x, float, float, float, const IMouseMod&) {
    SetValueFromUserInput(ValueForX(x));
}

void OutputMeterControl::OnMouseDblClick(float, float, const IMouseMod&) { SetValueFromUserInput(GetDefaultValue()); }

}  // namespace halcyra
