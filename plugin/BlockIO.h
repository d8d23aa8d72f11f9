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
};

}  // namespace halcyra
