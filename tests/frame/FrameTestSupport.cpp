#include "FrameTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace halcyra::test {

host::Vst3Module& sharedModule() {
    static host::Vst3Module module(HALCYRA_BUNDLE_PATH);
    return module;
}

std::unique_ptr<host::PluginInstance> makeInstance() { return std::make_unique<host::PluginInstance>(sharedModule()); }

std::unique_ptr<host::PluginInstance> startedInstance(const host::ProcessSettings& settings) {
    auto instance = makeInstance();
    instance->configure(settings);
    instance->start();
    return instance;
}

std::vector<double> testSignal(int frames, std::uint32_t seed) {
    std::vector<double> x(static_cast<std::size_t>(frames));
    std::uint32_t s = seed;
    for (int i = 0; i < frames; ++i) {
        s = 1664525u * s + 1013904223u;
        const double noise = static_cast<double>(s) / 4294967296.0 - 0.5;
        const double burst = std::exp(-(i % 9000) / 1500.0);
        x[static_cast<std::size_t>(i)] = 0.3 * noise * burst + 0.2 * std::sin(0.031 * i);
    }
    return x;
}

namespace {
template <typename Sample>
Stereo renderAs(host::PluginInstance& instance, const std::vector<std::vector<double>>& input, int block) {
    const int channels = static_cast<int>(input.size());
    const int frames = static_cast<int>(input.front().size());
    std::vector<std::vector<Sample>> in(static_cast<std::size_t>(channels), std::vector<Sample>(static_cast<std::size_t>(block)));
    std::vector<std::vector<Sample>> out(2, std::vector<Sample>(static_cast<std::size_t>(block)));
    const Sample* inPtrs[2] = {in[0].data(), channels > 1 ? in[1].data() : nullptr};
    Sample* outPtrs[2] = {out[0].data(), out[1].data()};
    Stereo result;
    for (int pos = 0; pos < frames; pos += block) {
        const int n = std::min(block, frames - pos);
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < n; ++i)
                in[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] =
                    static_cast<Sample>(input[static_cast<std::size_t>(c)][static_cast<std::size_t>(pos + i)]);
        instance.process(inPtrs, outPtrs, n);
        result.left.insert(result.left.end(), out[0].begin(), out[0].begin() + n);
        result.right.insert(result.right.end(), out[1].begin(), out[1].begin() + n);
    }
    return result;
}
}  // namespace

Stereo render(host::PluginInstance& instance, const std::vector<std::vector<double>>& input, int block,
              bool doublePrecision) {
    return doublePrecision ? renderAs<double>(instance, input, block) : renderAs<float>(instance, input, block);
}

bool allFinite(const Stereo& s) {
    const auto finite = [](double x) { return std::isfinite(x); };
    return std::all_of(s.left.begin(), s.left.end(), finite) && std::all_of(s.right.begin(), s.right.end(), finite);
}

double peak(const std::vector<double>& x, std::size_t from) {
    double p = 0.0;
    for (std::size_t i = from; i < x.size(); ++i) p = std::max(p, std::fabs(x[i]));
    return p;
}

std::vector<std::uint8_t> stateBytes(const std::vector<double>& values, std::int32_t bypass) {
    std::vector<std::uint8_t> bytes;
    for (double v : values) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, 8);
        for (int b = 0; b < 8; ++b) bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * b)));
    }
    const auto u = static_cast<std::uint32_t>(bypass);
    for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<std::uint8_t>(u >> (8 * b)));
    return bytes;
}

double stateValue(const std::vector<std::uint8_t>& state, int index) {
    std::uint64_t bits = 0;
    for (int b = 0; b < 8; ++b) bits |= std::uint64_t(state[static_cast<std::size_t>(8 * index + b)]) << (8 * b);
    double v = 0.0;
    std::memcpy(&v, &bits, 8);
    return v;
}

double plainValue(host::PluginInstance& instance, int index) {
    auto* c = instance.controller();
    const auto id = static_cast<Steinberg::Vst::ParamID>(index);
    return c->normalizedParamToPlain(id, c->getParamNormalized(id));
}

}  // namespace halcyra::test
