#include "tools/render/DemoSignal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace halcyra::render {
namespace {

constexpr double kPi = 3.14159265358979323846;

class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double next() {  // uniform in -1..1
        state_ = 1664525u * state_ + 1013904223u;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state_;
};

double midiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

void addPanned(StereoAudio& out, int start, const std::vector<double>& voice, double pan) {
    const double gl = std::cos((pan + 1.0) * kPi / 4.0);
    const double gr = std::sin((pan + 1.0) * kPi / 4.0);
    for (std::size_t i = 0; i < voice.size(); ++i) {
        const std::size_t k = static_cast<std::size_t>(start) + i;
        if (k >= out.left.size()) break;
        out.left[k] += static_cast<float>(voice[i] * gl);
        out.right[k] += static_cast<float>(voice[i] * gr);
    }
}

// Karplus-Strong string: a noise burst circulating in a delay of one period, softened
// a little on every pass.
std::vector<double> pluck(double sampleRate, double hz, double seconds, Noise& noise) {
    const int period = std::max(2, static_cast<int>(std::lround(sampleRate / hz)));
    std::vector<double> line(static_cast<std::size_t>(period));
    double smooth = 0.0;
    for (double& x : line) {
        smooth = 0.6 * smooth + 0.4 * noise.next();  // darker excitation, rounder attack
        x = smooth;
    }
    const int n = static_cast<int>(seconds * sampleRate);
    std::vector<double> out(static_cast<std::size_t>(n));
    // Loss per pass chosen so the string rings for about `seconds` whatever its pitch.
    const double loss = std::pow(0.001, 1.0 / (seconds * hz));
    for (int i = 0; i < n; ++i) {
        const std::size_t a = static_cast<std::size_t>(i % period);
        const std::size_t b = static_cast<std::size_t>((i + 1) % period);
        const double y = line[a];
        line[a] = loss * 0.5 * (line[a] + line[b]);
        out[static_cast<std::size_t>(i)] = y;
    }
    return out;
}

// A soft pad note: three detuned saws through a gentle low-pass with a slow swell.
std::vector<double> padNote(double sampleRate, double hz, double seconds) {
    const int n = static_cast<int>(seconds * sampleRate);
    std::vector<double> out(static_cast<std::size_t>(n));
    const double detune[3] = {-0.004, 0.0, 0.005};
    double phase[3] = {0.0, 0.33, 0.71};
    double lp = 0.0;
    const double c = std::exp(-2.0 * kPi * 1800.0 / sampleRate);
    for (int i = 0; i < n; ++i) {
        double saw = 0.0;
        for (int v = 0; v < 3; ++v) {
            phase[v] += hz * (1.0 + detune[v]) / sampleRate;
            phase[v] -= std::floor(phase[v]);
            saw += 2.0 * phase[v] - 1.0;
        }
        lp = c * lp + (1.0 - c) * saw / 3.0;
        const double t = i / sampleRate;
        const double attack = std::min(1.0, t / 0.25);
        const double release = std::clamp((seconds - t) / 0.8, 0.0, 1.0);
        out[static_cast<std::size_t>(i)] = lp * attack * release;
    }
    return out;
}

std::vector<double> kick(double sampleRate) {
    const int n = static_cast<int>(0.6 * sampleRate);
    std::vector<double> out(static_cast<std::size_t>(n));
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = i / sampleRate;
        const double hz = 45.0 + 90.0 * std::exp(-t / 0.04);
        phase += 2.0 * kPi * hz / sampleRate;
        out[static_cast<std::size_t>(i)] = std::sin(phase) * std::exp(-t / 0.18);
    }
    return out;
}

std::vector<double> snare(double sampleRate, Noise& noise) {
    const int n = static_cast<int>(0.35 * sampleRate);
    std::vector<double> out(static_cast<std::size_t>(n));
    double hp = 0.0, prev = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = i / sampleRate;
        const double x = noise.next();
        hp = 0.7 * (hp + x - prev);  // thin the noise out: a snare, not a hiss
        prev = x;
        const double body = std::sin(2.0 * kPi * 190.0 * t) * std::exp(-t / 0.05);
        out[static_cast<std::size_t>(i)] = (0.8 * hp * std::exp(-t / 0.09) + 0.5 * body);
    }
    return out;
}

}  // namespace

StereoAudio makeDemoSignal(double sampleRate) {
    StereoAudio out;
    const std::size_t frames = static_cast<std::size_t>(kDemoSeconds * sampleRate);
    out.left.assign(frames, 0.0f);
    out.right.assign(frames, 0.0f);
    Noise noise(0x4861u);
    const auto at = [&](double seconds) { return static_cast<int>(seconds * sampleRate); };

    // A minor pentatonic phrase in eighths at 96 BPM, plucks swaying left and right.
    const double eighth = 60.0 / 96.0 / 2.0;
    const double melody[] = {69, 72, 76, 79, 81, 76, 74, 72, 69, 64};
    for (int i = 0; i < 10; ++i) {
        const double pan = (i % 2 == 0 ? -0.5 : 0.5) * (0.4 + 0.06 * i);
        addPanned(out, at(0.1 + i * eighth), pluck(sampleRate, midiToHz(melody[i]), 1.6, noise), pan);
    }
    // Am9 chord held under the end of the phrase.
    const double chord[] = {45, 52, 55, 59, 60};
    for (int i = 0; i < 5; ++i) {
        std::vector<double> note = padNote(sampleRate, midiToHz(chord[i]), 2.8);
        for (double& x : note) x *= 0.35;
        addPanned(out, at(3.3), note, -0.3 + 0.15 * i);
    }
    // One drum hit: kick with a snare on top, then silence for the tail to speak.
    addPanned(out, at(6.2), kick(sampleRate), 0.0);
    std::vector<double> s = snare(sampleRate, noise);
    for (double& x : s) x *= 0.6;
    addPanned(out, at(6.2), s, 0.1);

    float peak = 0.0f;
    for (std::size_t i = 0; i < frames; ++i) peak = std::max({peak, std::fabs(out.left[i]), std::fabs(out.right[i])});
    if (peak > 0.0f) {
        const float gain = 0.5f / peak;  // about -6 dBFS
        for (std::size_t i = 0; i < frames; ++i) {
            out.left[i] *= gain;
            out.right[i] *= gain;
        }
    }
    return out;
}

}  // namespace halcyra::render
