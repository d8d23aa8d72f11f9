#include "tools/render/WavWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "tools/host/HostError.h"

namespace halcyra::render {

using host::HostError;

WavWriter::WavWriter(const std::string& path, double sampleRate)
    : path_(path), tempPath_(path + ".partial-" + std::to_string(getpid())) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate + 0.5);
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    file_ = sf_open(tempPath_.c_str(), SFM_WRITE, &info);
    if (!file_) throw HostError("cannot write output '" + path + "': " + sf_strerror(nullptr));
}

WavWriter::~WavWriter() {
    if (file_) sf_close(file_);
    if (!committed_) {
        std::error_code ec;
        std::filesystem::remove(tempPath_, ec);
    }
}

void WavWriter::write(const float* left, const float* right, int frames) {
    for (int done = 0; done < frames;) {
        const int n = std::min(4096, frames - done);
        for (int i = 0; i < n; ++i) {
            interleaved_[2 * i] = left[done + i];
            interleaved_[2 * i + 1] = right[done + i];
        }
        if (sf_writef_float(file_, interleaved_, n) != n) throw HostError("writing '" + path_ + "' failed: disk full?");
        done += n;
    }
}

void WavWriter::commit() {
    const int closed = sf_close(file_);
    file_ = nullptr;
    if (closed != 0) throw HostError("finishing '" + path_ + "' failed");
    std::error_code ec;
    std::filesystem::rename(tempPath_, path_, ec);
    if (ec) throw HostError("cannot move the render to '" + path_ + "': " + ec.message());
    committed_ = true;
}

}  // namespace halcyra::render
