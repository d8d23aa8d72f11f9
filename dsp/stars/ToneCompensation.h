// The star tone: a 4 kHz high shelf of -6..+6 dB, and a gain that keeps a star's
// loudness the same whatever its tone. The gain comes from a nine-entry table
// measured once per sample rate on a noise burst with the band loudness measure.
#pragma once

namespace halcyra {

struct ShelfCoefficients {
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;  // normalised by a0
};

// Audio-EQ-cookbook high shelf at 4 kHz, slope 1, for a gain in dB; the identity
// for |gain| < 1e-4 dB.
ShelfCoefficients toneShelf(double gainDb, double sampleRate);

// Shelf gain for a tone 0..1 (clamped): (tone - 0.5) x 12 dB.
double toneShelfGainDb(double tone);

class ToneCompensation {
public:
    static constexpr int kEntries = 9;

    // Allocates a scratch burst the first time a rate is met in the process (later
    // instances copy that table); call at prepare only. Does nothing when the rate is
    // unchanged. Thread-safe.
    void prepare(double sampleRate);

    // Loudness compensation in dB for a tone 0..1, linearly interpolated.
    double compensationDb(double tone) const;
    float gainFor(double tone) const;

    const double* table() const { return table_; }

private:
    double sampleRate_ = 0.0;
    double table_[kEntries] = {};
};

}  // namespace halcyra
