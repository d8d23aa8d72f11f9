// Turns the smoothed weather controls into everything the engines need for one
// sub-block: the ten reverb controls, the sky targets, the star settings and the
// driver's own values (drift rate, spacing, mix fraction, monitor).
#pragma once

#include "dsp/reverb/ReverbSettings.h"

namespace halcyra {

// `calibration` is the driver's sky-weight normaliser; a non-positive value means
// "not calibrated" and is replaced by 1.
ReverbSettings computeWeatherMapping(const WeatherInput& in, float calibration);

}  // namespace halcyra
