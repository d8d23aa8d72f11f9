// Writes the render as 32-bit float stereo WAV under a temporary name and only puts
// it in place at commit(): a render that fails or is interrupted leaves no file.
#pragma once

#include <sndfile.h>

#include <string>

namespace halcyra::render {

class WavWriter {
public:
    // Throws host::HostError when the temporary file cannot be created.
    WavWriter(const std::string& path, double sampleRate);
    ~WavWriter();  // removes the temporary file unless committed
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    void write(const float* left, const float* right, int frames);  // throws on failure
    void commit();  // closes and renames into place; throws on failure

private:
    std::string path_;
    std::string tempPath_;
    SNDFILE* file_ = nullptr;
    bool committed_ = false;
    float interleaved_[2 * 4096];
};

}  // namespace halcyra::render
