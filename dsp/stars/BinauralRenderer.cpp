#include "dsp/stars/BinauralRenderer.h"

#include <algorithm>

namespace halcyra {

void BinauralRenderer::prepare(double sampleRate, int blockCapacity, const HrirSet* set, int channels) {
    set_ = set;
    count_ = std::clamp(channels, 1, kMaxChannels);
    for (int c = 0; c < count_; ++c) channels_[static_cast<std::size_t>(c)].prepare(sampleRate, blockCapacity);
}

void BinauralRenderer::clear() {
    for (BinauralChannel& c : used()) c.clear();
}

// A point the set has no pair for (out of range) is still placed, centred, rather
// than indexing past the set.
const HrirPair* BinauralRenderer::pairFor(int point) const {
    if (set_ == nullptr || !set_->loaded() || point >= set_->size()) return nullptr;
    return &set_->pair(point);
}

void BinauralRenderer::bind(const bool* active, const int* points, int voiceCount, int n) {
    voiceCount = std::max(0, voiceCount);
    auto pointInUse = [&](int point) {
        for (int v = 0; v < voiceCount; ++v)
            if (active[v] && points[v] == point) return true;
        return false;
    };
    for (BinauralChannel& c : used())
        if (c.bound() && !pointInUse(c.point())) c.unbind();

    for (int v = 0; v < voiceCount; ++v) {
        const int point = points[v];
        if (!active[v] || point < 0 || inputFor(point) != nullptr) continue;
        const std::span<BinauralChannel> channels = used();
        auto freeChannel =
            std::find_if(channels.begin(), channels.end(), [](const BinauralChannel& c) { return !c.bound(); });
        if (freeChannel == channels.end()) continue;  // this voice waits, silent and frozen
        freeChannel->bind(point, pairFor(point));
    }
    clearInputs(n);
}

void BinauralRenderer::clearInputs(int n) {
    for (BinauralChannel& c : used()) {
        if (!c.bound()) continue;
        std::fill_n(c.input(), std::clamp(n, 0, c.capacity()), 0.0f);
    }
}

float* BinauralRenderer::inputFor(int point) {
    if (point < 0) return nullptr;
    for (BinauralChannel& c : used())
        if (c.point() == point) return c.input();
    return nullptr;
}

void BinauralRenderer::render(int n, float* outLeft, float* outRight) {
    for (BinauralChannel& c : used())
        if (c.bound()) c.process(n, outLeft, outRight);
}

}  // namespace halcyra
