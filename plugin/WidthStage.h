// Mid/side width of the wet signal. With headphones it only sets the width; with
// speakers it narrows the image, lifts the mid a little and adds a short (about
// 8 ms) delayed copy of the side signal so the room still sounds wide in a room.
#pragma once

#include <vector>

namespace halcyra {

class WidthStage {
public:
    // The only call that allocates: sizes the side ring for the sample rate
    // (anything but a positive number counts as 48000 Hz).
    void prepare(double sampleRate);
    // Zeroes the side ring; the smoothed width and mid gain keep their values.
    void clear();
    void process(float* left, float* right, int n);

    void setSpeakers(bool speakers) { speakers_ = speakers ? 1 : 0; }
    // The driver passes the mapping's spacing; negative values count as 0.
    void setWidthTarget(float target) { widthTarget_ = target > 0.0f ? target : 0.0f; }

    float midGain() const { return midGain_; }
    float width() const { return width_; }
    int ringLength() const { return ringLength_; }
    int delaySamples() const { return delay_; }

private:
    bool speakers() const { return speakers_ == 1; }
    // Speakers never get the full width: the delayed side already widens the image.
    float effectiveWidthTarget() const;
    float midGainTarget() const;

    float sampleRate_ = 48000.0f;
    int speakers_ = 1;
    float widthTarget_ = 0.74f;
    float midGain_ = 1.0f;
    float width_ = 0.74f;
    std::vector<float> ring_;
    int ringLength_ = 0;
    int delay_ = 0;
    int writeIndex_ = 0;
    int coefficientLength_ = -1;  // sub-block length the smoothing coefficient belongs to
    float coefficient_ = 0.0f;
};

}  // namespace halcyra
