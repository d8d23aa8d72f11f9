// The editor's own copy of the 128 sky positions (the sunflower layout the audio
// side places stars on), in float: enough for drawing, and it keeps the editor
// free of the DSP library's tables.
#pragma once

namespace halcyra {

struct SkyPointTable {
    static constexpr int kCount = 128;

    SkyPointTable();

    // Position on the unit disc: x = azimuth / 90, y = (elevation − 17.5) / 27.5.
    float x[kCount];
    float y[kCount];
    float azimuth[kCount];    // −90..90 degrees, positive = right
    float elevation[kCount];  // −10..45 degrees
};

}  // namespace halcyra
