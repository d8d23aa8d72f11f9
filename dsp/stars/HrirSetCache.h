// Reading the SOFA data is the slow part of building an HRIR set, and every instance
// and every re-prepare needs a set. This process-wide cache keeps the responses read
// for the last list of directions (at the data's own rate, so any sample rate is a
// cheap conversion away) and the few most recently built sets, so a second instance,
// or a host toggling between two rates, gets them at copy cost. The responses are also
// kept in a per-user file (HrirSourceFile), so a later process skips the reading too.
#pragma once

#include "dsp/stars/HrirSet.h"

namespace halcyra {

// Same contract as HrirSet::build with the embedded KEMAR data; thread-safe.
bool buildKemarHrirSet(HrirSet& out, double sampleRate, int count, const float* azimuths,
                       const float* elevations, int maxTaps = 256);

// Reads and keeps the responses for these directions unless they are kept already, so
// a later build only converts them. Thread-safe; a build asking for them meanwhile
// waits for this read instead of starting its own. Throws std::bad_alloc.
void readKemarSource(int count, const float* azimuths, const float* elevations);

// Drops every kept response and set; sets already handed out stay valid.
void releaseKemarCache();

}  // namespace halcyra
