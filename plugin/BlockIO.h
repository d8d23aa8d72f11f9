// What the frame hands the block callback: the host's 64-bit channel buffers,
// the connected channel counts, the block length, sample rate and tempo.
#pragma once

namespace halcyra {

struct BlockIO {
    const double* const* inputs = nullptr;  // numInputs channel pointers (may be null when numInputs == 0)
    double* const* outputs = nullptr;        // numOutputs channel pointers
    int numInputs = 0;                       // connected input channels: 0, 1 or 2
    int numOutputs = 0;                      // connected output channels: 0, 1 or 2
    int numFrames = 0;
    double sampleRate = 0.0;
    double tempo = 0.0;                      // host tempo in BPM; <= 0 when unknown
    // The host's bypass switch. The driver crossfades between its output and the
    // input (channel for channel) over 15 ms and keeps the engines running, so
    // switching either way is click-free and the tail is live when bypass ends.
    bool bypass = false;
    // The frame asks the sky to jump to the weather the parameters hold now, as the
    // editor's sky-jump command does (a factory preset the host recalled).
    bool skyJump = false;
};

}  // namespace halcyra
