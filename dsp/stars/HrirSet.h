// One head-related impulse response pair per sky point, read from SOFA data, converted
// to the engine's sample rate and levelled to a common loudness. Built at prepare, then
// only read by the binaural channels.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace halcyra {

struct HrirSource;

struct HrirPair {
    std::vector<float> left, right;
    float leftDelay = 0, rightDelay = 0;  // seconds, >= 0 and finite
};

// Taps kept per ear at a sample rate: 256 up to 48 kHz, and above it the same 5.3 ms,
// so the far ear's response, which arrives late, is not cut off at high rates.
int hrirTapLimit(double sampleRate);

class HrirSet {
public:
    // azimuths/elevations in degrees, positive azimuth = listener's right.
    // Returns true when the set is loaded; on any failure the set is left empty.
    bool build(const unsigned char* data, std::size_t size, double sampleRate, int count,
               const float* azimuths, const float* elevations, int maxTaps = 256,
               bool normalise = true);
    // The same from responses already read at the data's own rate.
    bool build(const HrirSource& source, double sampleRate, int maxTaps = 256, bool normalise = true);

    bool loaded() const { return loaded_; }
    int taps() const { return taps_; }
    const HrirPair& pair(int index) const { return (*pairs_)[static_cast<std::size_t>(index)]; }
    int size() const { return pairs_ ? static_cast<int>(pairs_->size()) : 0; }

    // Length of the responses at the engine's rate, before truncation to taps().
    int libraryFilterLength() const { return libraryLength_; }

private:
    void reset();
    // Built once, then shared by every copy: instances that copy a cached set do not
    // each hold their own responses.
    std::shared_ptr<const std::vector<HrirPair>> pairs_;
    int taps_ = 0;
    int libraryLength_ = 0;
    bool loaded_ = false;
};

}  // namespace halcyra
