#include "dsp/stars/HrirSetCache.h"

#include <algorithm>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

#include "dsp/stars/EmbeddedKemar.h"
#include "dsp/stars/HrirSource.h"

namespace halcyra {

namespace {

struct Directions {
    std::vector<float> azimuths, elevations;

    bool same(int count, const float* az, const float* el) const {
        return static_cast<int>(azimuths.size()) == count && std::equal(azimuths.begin(), azimuths.end(), az) &&
               std::equal(elevations.begin(), elevations.end(), el);
    }
};

struct CachedSet {
    double sampleRate;
    int maxTaps;
    Directions directions;
    std::shared_ptr<const HrirSet> set;  // null when the build failed
};

struct CachedSource {
    Directions directions;
    std::shared_ptr<const HrirSource> source;  // null when the data could not be read
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

// The responses for these directions, read at most once while the directions stay the same.
std::shared_ptr<const HrirSource> sourceFor(int count, const float* az, const float* el) {
    static std::unique_ptr<CachedSource> last;
    if (last && last->directions.same(count, az, el)) return last->source;
    auto source = std::make_shared<HrirSource>();
    const bool ok = source->read(kemarSofaData(), kemarSofaSize(), count, az, el);
    last = std::make_unique<CachedSource>(
        CachedSource{{std::vector<float>(az, az + count), std::vector<float>(el, el + count)}, ok ? source : nullptr});
    return last->source;
}

}  // namespace

bool buildKemarHrirSet(HrirSet& out, double sampleRate, int count, const float* azimuths, const float* elevations,
                       int maxTaps) {
    if (count <= 0 || azimuths == nullptr || elevations == nullptr)
        return out.build(nullptr, 0, sampleRate, count, azimuths, elevations, maxTaps);

    std::lock_guard<std::mutex> lock(cacheMutex());
    auto& entries = cache();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->sampleRate != sampleRate || it->maxTaps != maxTaps || !it->directions.same(count, azimuths, elevations))
            continue;
        entries.splice(entries.begin(), entries, it);  // most recently used first
        if (!it->set) return out.build(nullptr, 0, sampleRate, count, azimuths, elevations, maxTaps);
        out = *it->set;
        return out.loaded();
    }

    auto built = std::make_shared<HrirSet>();
    const auto source = sourceFor(count, azimuths, elevations);
    const bool ok = source && built->build(*source, sampleRate, maxTaps);
    entries.push_front({sampleRate, maxTaps,
                        {std::vector<float>(azimuths, azimuths + count), std::vector<float>(elevations, elevations + count)},
                        ok ? built : nullptr});
    if (entries.size() > kCacheEntries) entries.pop_back();
    if (!ok) return out.build(nullptr, 0, sampleRate, count, azimuths, elevations, maxTaps);
    out = *built;
    return true;
}

}  // namespace halcyra
