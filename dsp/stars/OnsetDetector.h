// Follows the mono input with a fast and a slow envelope and reports, per sub-block,
// how transient the input is: the scheduler lights onset stars on sharp rises.
#pragma once

namespace halcyra {

class OnsetDetector {
public:
    void prepare(double sampleRate);
    void clear();
    void process(const float* input, int n);

    float activity() const { return activity_; }  // 0..1, the sub-block's largest
    float ratio() const { return ratio_; }        // >= 0, the sub-block's largest onset ratio
    float level() const { return level_; }        // 0..1, at the sub-block's last sample

private:
    float fastCoeff_ = 0.0f, slowCoeff_ = 0.0f;
    float fast_ = 0.0f, slow_ = 0.0f;
    float activity_ = 0.0f, ratio_ = 0.0f, level_ = 0.0f;
};

}  // namespace halcyra
