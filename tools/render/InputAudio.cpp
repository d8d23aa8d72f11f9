#include "tools/render/InputAudio.h"

#include <sndfile.h>

#include <vector>

#include "tools/host/HostError.h"

namespace halcyra::render {

using host::HostError;

namespace {

constexpr double kDefaultRate = 48000.0;

void foldToMono(InputAudio& in) {
    if (in.channels == 1) return;
    for (std::size_t i = 0; i < in.audio.left.size(); ++i) in.audio.left[i] = 0.5f * (in.audio.left[i] + in.audio.right[i]);
    in.audio.right.clear();
    in.channels = 1;
}

InputAudio readFile(const std::string& path, double requestedRate) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) throw HostError("cannot read input '" + path + "': " + sf_strerror(nullptr));
    if (info.channels < 1 || info.frames < 0 || info.samplerate <= 0) {
        sf_close(file);
        throw HostError("cannot read input '" + path + "': no audio in it");
    }
    InputAudio in;
    in.channels = info.channels >= 2 ? 2 : 1;  // beyond stereo only the first two channels play
    in.sampleRate = requestedRate > 0 ? requestedRate : info.samplerate;
    const std::size_t frames = static_cast<std::size_t>(info.frames);
    in.audio.left.assign(frames, 0.0f);
    if (in.channels == 2) in.audio.right.assign(frames, 0.0f);
    std::vector<float> block(static_cast<std::size_t>(4096) * static_cast<std::size_t>(info.channels));
    std::size_t done = 0;
    while (done < frames) {
        const sf_count_t got = sf_readf_float(file, block.data(), 4096);
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got && done < frames; ++i, ++done) {
            const float* frame = block.data() + i * info.channels;
            in.audio.left[done] = frame[0];
            if (in.channels == 2) in.audio.right[done] = frame[1];
        }
    }
    sf_close(file);
    in.audio.left.resize(done);
    if (in.channels == 2) in.audio.right.resize(done);
    return in;
}

}  // namespace

InputAudio loadInput(const std::string& source, double requestedRate, bool mono) {
    InputAudio in;
    if (source == "impulse" || source == "demo") {
        in.generated = true;
        in.sampleRate = requestedRate > 0 ? requestedRate : kDefaultRate;
        if (source == "demo") {
            in.audio = makeDemoSignal(in.sampleRate);
        } else {
            in.impulse = true;
            const std::size_t frames = static_cast<std::size_t>(kImpulseSeconds * in.sampleRate);
            in.audio.left.assign(frames, 0.0f);
            in.audio.right.assign(frames, 0.0f);
            in.audio.left[0] = in.audio.right[0] = 1.0f;
        }
        in.channels = 2;
        if (mono) {
            if (in.impulse) {
                in.audio.right.clear();
                in.channels = 1;
            } else {
                foldToMono(in);
            }
        }
        return in;
    }
    in = readFile(source, requestedRate);
    if (mono) foldToMono(in);
    return in;
}

}  // namespace halcyra::render
