// The normaliser of the star rate: the mean total sky weight of a fixed, typical
// weather, so that a cloudier sky makes proportionally more stars. Nothing an instance
// or a sample rate changes enters it, so it is computed once per process.
#pragma once

namespace halcyra {

// Thread-safe; the first call computes it (about 50 M instructions), later calls read it.
float mappingCalibration();

}  // namespace halcyra
