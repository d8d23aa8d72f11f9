// The header's output meter: two thin bars (left over right) showing RMS with a
// peak line on a −48…0 dBFS scale, and a marker for the Output gain that can be
// dragged along the meter. The levels come from outside (the sky-view feeder).
// While the marker is pressed or hovered, the gain is written left of the meter, in
// the header's empty stretch, so it covers neither bars nor marker.
#pragma once

#include <string>

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class OutputMeterControl : public IControl {
public:
    // Levels at or below this (linear amplitude) draw nothing.
    static constexpr float kSilenceLevel = 0.00001f;
    static constexpr float kFloorDb = -48.0f;

    OutputMeterControl(const IRECT& bounds, int paramIdx, const IColor& accent, const IColor& text,
                       const IColor& dim, const IColor& frame);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;
    void OnMouseUp(float x, float y, const IMouseMod& mod) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
    // Back to 0 dB (the parameter's default), not a second press.
    void OnMouseDblClick(float x, float y, const IMouseMod& mod) override;

    // Linear amplitudes; redraws only when something changed.
    void SetMeterValues(float peakL, float peakR, float rmsL, float rmsR);
    void SetAccentColor(const IColor& accent);
    const IColor& GetAccentColor() const { return mAccent; }

    // Fill fraction of a bar for a linear level: 0 below −48 dBFS, 1 at 0 dBFS and above.
    static float LevelToFraction(float level);
    // Normalised gain for a mouse x, clamped to the meter's length.
    double ValueForX(float x) const;
    // The gain as text ("-3.0 dB") while pressed or hovered; empty otherwise.
    std::string ReadoutText() const;
    IRECT ReadoutBounds() const { return IRECT(mRECT.L - 70.0f, mRECT.T, mRECT.L - 6.0f, mRECT.B); }
    IRECT GetDrawRECT() const override { return mRECT.Union(ReadoutBounds()); }

private:
    void DrawBar(Canvas& g, const IRECT& bar, float rms, float peak) const;

    IColor mAccent, mText, mDim, mFrame;
    float mPeakL = 0.0f, mPeakR = 0.0f, mRmsL = 0.0f, mRmsR = 0.0f;
    bool mPressed = false;
};

}  // namespace halcyra
