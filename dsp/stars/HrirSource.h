// The head-related impulse responses of a SOFA set for a list of directions, at the
// set's own sampling rate: read and interpolated once, then converted to any engine
// rate by HrirSet. Converting 128 pairs is far cheaper than letting the reader convert
// every measurement of the set to the engine rate, and gives the same responses.
#pragma once

#include <cstddef>
#include <vector>

namespace halcyra {

struct HrirSource {
    double sampleRate = 0.0;  // the measurements' own rate
    int length = 0;           // taps per ear
    int count = 0;            // directions
    std::vector<float> left, right;            // count rows of length taps, one per direction
    std::vector<float> leftDelay, rightDelay;  // seconds, as the reader reports them
    // Both ears of the measurement the reader levels the whole set by (left then
    // right, length taps each): the set keeps that pair's energy at 2 at every rate.
    std::vector<float> levelReference;

    // azimuths/elevations in degrees, positive azimuth = listener's right. False (and
    // the source left empty) when the data cannot be read.
    bool read(const unsigned char* data, std::size_t size, int directions, const float* azimuths,
              const float* elevations);

    const float* leftRow(int i) const { return left.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(length); }
    const float* rightRow(int i) const { return right.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(length); }
};

}  // namespace halcyra
