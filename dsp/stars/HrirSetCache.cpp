#include "dsp/stars/HrirSetCache.h"

#include <algorithm>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "dsp/stars/EmbeddedKemar.h"

namespace halcyra {

namespace {

struct CachedSet {
    double sampleRate;
    int maxTaps;
    std::vector<float> azimuths;
    std::vector<float> elevations;
    std::shared_ptr<const HrirSet> set;  // null when the build failed
};

constexpr std::size_t kCacheEntries = 4;

std::mutex& cacheMutex() {
    static std::mutex m;
    return m;
}

std::list<CachedSet>& cache() {
    static std::list<CachedSet> entries;
    return entries;
}

bool sameKey(const CachedSet& e, double sampleRate, int count, const float* az, const float* el, int maxTaps) {
    return e.sampleRate == sampleRate && e.maxTaps == maxTaps && static_cast<int>(e.azimuths.size()) == count &&
           std::equal(e.azimuths.begin(), e.azimuths.end(), az) && std::equal(e.elevations.begin(), e.elevations.end(), el);
}

}  // namespace

bool buildKemarHrirSet(HrirSet& out, double sampleRate, int count, const float* azimuths, const float* elevations,
                       int maxTaps) {
    if (count <= 0 || azimuths == nullptr || elevations == nullptr)
        return out.build(nullptr, 0, sampleRate, count, azimuths, elevations, maxTaps);

    std::lock_guard<std::mutex> lock(cacheMutex());
    auto& entries = cache();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (!sameKey(*it, sampleRate, count, azimuths, elevations, maxTaps)) continue;
        entries.splice(entries.begin(), entries, it);  // most recently used first
        if (!it->set) return out.build(nullptr, 0, sampleRate, count, azimuths, elevations, maxTaps);
        out = *it->set;
        return out.loaded();
    }

    auto built = std::make_shared<HrirSet>();
    const bool ok = built->build(kemarSofaData(), kemarSofaSize(), sampleRate, count, azimuths, elevations, maxTaps);
    entries.push_front({sampleRate, maxTaps, std::vector<float>(azimuths, azimuths + count),
                        std::vector<float>(elevations, elevations + count), ok ? built : nullptr});
    if (entries.size() > kCacheEntries) entries.pop_back();
    if (!ok) return out.build(nullptr, 0, sampleRate, count, azimuths, elevations, maxTaps);
    out = *built;
    return true;
}

}  // namespace halcyra
