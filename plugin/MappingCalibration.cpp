#include "plugin/MappingCalibration.h"

#include <cstdint>

#include "dsp/reverb/WeatherMapping.h"
#include "dsp/stars/SkyField.h"

namespace halcyra {

namespace {

float computeCalibration() {
    WeatherInput in;
    in.weather = 0.28f;
    in.mix = 28.0f;
    in.size = 0.5f;
    in.brightness = 0.55f;
    in.wind = 0.4f;
    in.spacing = 0.6f;
    in.gust = 0.4f;
    in.monitor = 1;
    in.rate = 0.28f;
    in.primed = false;
    const ReverbSettings s = computeWeatherMapping(in, 1.0f);
    constexpr std::uint32_t kSkySeed = 1337;
    return SkyField::calibrate(s.skyTargets, 1.5, kSkySeed, 750.0);
}

}  // namespace

float mappingCalibration() {
    static const float value = computeCalibration();
    return value;
}

}  // namespace halcyra
