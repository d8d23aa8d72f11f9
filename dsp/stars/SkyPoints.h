// The 128 fixed sky positions in a sunflower layout over the unit disc. Positions
// are kept in 64-bit (the sky field evaluates noise at them); the directions the
// listener hears them from are 32-bit degrees.
#pragma once

namespace halcyra {

class SkyPoints {
public:
    static constexpr int kCount = 128;

    SkyPoints();

    double x(int i) const { return x_[i]; }
    double y(int i) const { return y_[i]; }
    float azimuth(int i) const { return azimuth_[i]; }      // -90..90 degrees, positive = right
    float elevation(int i) const { return elevation_[i]; }  // -10..45 degrees
    const float* azimuths() const { return azimuth_; }
    const float* elevations() const { return elevation_; }

    // Index of the point closest to (azimuth, elevation) in degrees; the lowest
    // index wins a tie. Returns -1 for non-finite input.
    int nearest(float azimuthDeg, float elevationDeg) const;

private:
    double x_[kCount];
    double y_[kCount];
    float azimuth_[kCount];
    float elevation_[kCount];
};

// The layout never changes, so everyone shares one instance.
const SkyPoints& skyPoints();

}  // namespace halcyra
