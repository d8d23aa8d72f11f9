// Building the HRIR set means the SOFA reader resamples all 710 measurements to the
// host rate: seconds of work at high rates, repeated by every instance and every
// re-prepare. This process-wide cache keeps the few most recently built sets so a
// second instance, or a host toggling between two rates, gets them at copy cost.
#pragma once

#include "dsp/stars/HrirSet.h"

namespace halcyra {

// Same contract as HrirSet::build with the embedded KEMAR data; thread-safe.
bool buildKemarHrirSet(HrirSet& out, double sampleRate, int count, const float* azimuths,
                       const float* elevations, int maxTaps = 256);

}  // namespace halcyra
