// Follows the mono input with a fast and a slow envelope and reports how transient
// the input is: the scheduler lights onset stars on sharp rises. Besides the values
// of each call it keeps the maxima of a longer window, so decisions taken on a fixed
// grid see the same values however the input was cut into calls.
#pragma once

namespace halcyra {

struct OnsetValues {
    float activity = 0.0f;  // a
    float ratio = 0.0f;     // r
    float level = 0.0f;     // v
};

class OnsetDetector {
public:
    void prepare(double sampleRate);
    void clear();
    void process(const float* input, int n);

    float activity() const { return activity_; }  // 0..1, the call's largest
    float ratio() const { return ratio_; }        // >= 0, the call's largest onset ratio
    float level() const { return level_; }        // 0..1, at the last sample

    // The largest activity and ratio since the previous call of this, and the level
    // now; starts the next window.
    OnsetValues takeWindow();

private:
    float fastCoeff_ = 0.0f, slowCoeff_ = 0.0f;
    float fast_ = 0.0f, slow_ = 0.0f;
    float activity_ = 0.0f, ratio_ = 0.0f, level_ = 0.0f;
    float windowActivity_ = 0.0f, windowRatio_ = 0.0f;
};

}  // namespace halcyra
