// The measurements around one measurement of a SOFA set, as the reader's neighbourhood
// index lists them, computed for that measurement alone. The reader's index covers the
// whole set; the sky needs the rows of the few measurements nearest to its directions.
#pragma once

struct MYSOFA_LOOKUP;

namespace halcyra {

// position: the measurement's cartesian coordinates. Writes its six neighbours (larger
// and smaller azimuth, elevation, radius; -1 where there is none) into out.
void measurementNeighbours(MYSOFA_LOOKUP& lookup, const float* position, int index, int out[6]);

}  // namespace halcyra
