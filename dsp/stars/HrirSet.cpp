#include "dsp/stars/HrirSet.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <future>
#include <optional>
#include <system_error>

#include "dsp/stars/BandLoudness.h"
#include "dsp/stars/HrirSource.h"
#include "dsp/stars/ResponseResampler.h"

namespace halcyra {

namespace {

// Brings every pair to the loudness of the median pair, so a star's level does not
// depend on the direction it comes from. Loudness grows with the square root of the
// gain, hence the squared ratio.
void levelToMedianLoudness(std::vector<HrirPair>& pairs, const std::vector<double>& loudness) {
    std::vector<double> sorted = loudness;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    if (!(median > 0.0)) return;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (!(loudness[i] > 0.0)) continue;
        const double ratio = median / loudness[i];
        const float gain = static_cast<float>(ratio * ratio);
        for (float& t : pairs[i].left) t *= gain;
        for (float& t : pairs[i].right) t *= gain;
    }
}

float usableDelay(float seconds) { return (std::isfinite(seconds) && seconds > 0.0f) ? seconds : 0.0f; }

// The SOFA reader refuses to convert a set to rates below this.
constexpr float kLowestRate = 8000.0f;

}  // namespace

int hrirTapLimit(double sampleRate) {
    constexpr int kTapsAt48k = 256;
    if (!(sampleRate > 48000.0)) return kTapsAt48k;
    return static_cast<int>(std::ceil(kTapsAt48k * std::min(sampleRate, 1e7) / 48000.0));
}

void HrirSet::reset() {
    pairs_.reset();
    taps_ = 0;
    libraryLength_ = 0;
    loaded_ = false;
}

bool HrirSet::build(const unsigned char* data, std::size_t size, double sampleRate, int count,
                    const float* azimuths, const float* elevations, int maxTaps, bool normalise) {
    reset();
    if (!(sampleRate > 0.0) || maxTaps <= 0) return false;
    HrirSource source;
    if (!source.read(data, size, count, azimuths, elevations)) return false;
    return build(source, sampleRate, maxTaps, normalise);
}

bool HrirSet::build(const HrirSource& source, double sampleRate, int maxTaps, bool normalise) {
    reset();
    const auto rate = static_cast<float>(sampleRate);
    if (!(rate >= kLowestRate) || maxTaps <= 0 || source.count <= 0 || source.length <= 0) return false;

    // Same length and rounding as the reader uses when it converts the set itself.
    const auto sourceRate = static_cast<float>(source.sampleRate);
    const bool convert = rate != sourceRate;
    const int length =
        convert ? static_cast<int>(std::ceil(static_cast<float>(source.length) * (rate / sourceRate))) : source.length;
    const int taps = std::min(maxTaps, std::max(1, length));

    const auto fromRate = static_cast<std::uint32_t>(sourceRate), toRate = static_cast<std::uint32_t>(rate);
    float level = 1.0f;
    if (convert) {
        // The reader re-levels a converted set so that its reference pair keeps energy 2.
        ResponseResampler resampler(fromRate, toRate);
        std::vector<float> reference(2 * static_cast<std::size_t>(length));
        resampler.convert(source.levelReference.data(), source.length, reference.data(), length);
        resampler.convert(source.levelReference.data() + source.length, source.length, reference.data() + length,
                          length);
        double energy = 0.0;
        for (float v : reference) energy += static_cast<double>(v) * v;
        if (energy > 0.0 && std::isfinite(energy)) level = static_cast<float>(std::sqrt(2.0 / energy));
    }

    std::vector<HrirPair> pairs(static_cast<std::size_t>(source.count));
    std::vector<double> loudness(pairs.size());
    const BandLoudnessMeter meter(sampleRate);
    const auto fill = [&](int begin, int end) {
        std::optional<ResponseResampler> resampler;
        if (convert) resampler.emplace(fromRate, toRate);
        for (int i = begin; i < end; ++i) {
            HrirPair& pair = pairs[static_cast<std::size_t>(i)];
            pair.left.resize(static_cast<std::size_t>(taps));
            pair.right.resize(static_cast<std::size_t>(taps));
            if (convert) {
                resampler->convert(source.leftRow(i), source.length, pair.left.data(), taps);
                resampler->convert(source.rightRow(i), source.length, pair.right.data(), taps);
                for (float& t : pair.left) t *= level;
                for (float& t : pair.right) t *= level;
            } else {
                std::copy_n(source.leftRow(i), taps, pair.left.begin());
                std::copy_n(source.rightRow(i), taps, pair.right.begin());
            }
            pair.leftDelay = usableDelay(source.leftDelay[static_cast<std::size_t>(i)]);
            pair.rightDelay = usableDelay(source.rightDelay[static_cast<std::size_t>(i)]);
            if (normalise)
                loudness[static_cast<std::size_t>(i)] = meter(pair.left.data(), taps) + meter(pair.right.data(), taps);
        }
    };
    // Converting and measuring are most of the work and every pair is done on its own:
    // a second thread takes half of them (the host waits for the activation, often with
    // a core idle). Declared after what it writes, so an exception here waits for it.
    const int half = source.count / 2;
    std::future<void> helper;
    if (half > 0) {
        try {
            helper = std::async(std::launch::async, fill, 0, half);
        } catch (const std::system_error&) {
            fill(0, half);  // no thread to be had: convert them here
        }
    }
    fill(half, source.count);
    if (helper.valid()) helper.get();

    if (normalise) levelToMedianLoudness(pairs, loudness);
    pairs_ = std::make_shared<const std::vector<HrirPair>>(std::move(pairs));
    taps_ = taps;
    libraryLength_ = length;
    loaded_ = true;
    return true;
}

}  // namespace halcyra
