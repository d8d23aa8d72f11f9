// A perceptual loudness figure for short signals such as impulse responses: the
// K-weighted energy in each ERB band, compressed by a fourth root and summed. Used to
// level the HRIR pairs against each other and to compensate the star tone shelf.
#pragma once

namespace halcyra {

// Loudness of n samples at sampleRate, in 64-bit. 0 for empty input or a rate <= 0.
// Scaling the signal by g scales the result by sqrt(g).
double bandLoudness(const float* x, int n, double sampleRate);

// |H| of the two cascaded BS.1770 K-weighting filters (high shelf and high pass)
// at frequencyHz for the given rate.
double kWeightingMagnitude(double frequencyHz, double sampleRate);

// Centre frequency of ERB-rate band k.
double erbBandCentreHz(int k);

}  // namespace halcyra
