#include "dsp/stars/HrirSetCache.h"

#include <algorithm>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "dsp/stars/EmbeddedKemar.h"
#include "dsp/stars/HrirSource.h"
#include "dsp/stars/HrirSourceFile.h"

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

struct Store {
    std::mutex setsMutex;
    std::list<CachedSet> sets;  // most recently used first
    // Held while reading, so a build that asks for responses being read ahead waits
    // for that read and takes its result.
    std::mutex sourceMutex;
    std::unique_ptr<CachedSource> lastSource;
};

// Never destroyed: a host may leave the module from its own exit handlers, after the
// library's statics are gone; what it holds is released when the module is left. It
// lives in the module's own storage rather than on the heap, so unloading the module
// leaves nothing behind.
Store& store() {
    alignas(Store) static unsigned char storage[sizeof(Store)];
    static Store* const s = new (storage) Store;
    return *s;
}

// The responses for these directions, read at most once while the directions stay the
// same: from the cache file an earlier process left, else from the data (and then kept
// in the file for the next process).
std::shared_ptr<const HrirSource> sourceFor(int count, const float* az, const float* el) {
    Store& st = store();
    std::unique_lock<std::mutex> lock(st.sourceMutex);
    auto& last = st.lastSource;
    if (last && last->directions.same(count, az, el)) return last->source;
    auto source = std::make_shared<HrirSource>();
    const std::string file = hrirSourceCacheFile();
    const std::uint64_t key = hrirSourceKey(kemarSofaData(), kemarSofaSize(), count, az, el);
    const bool fromFile = !file.empty() && loadHrirSource(file, key, count, *source);
    const bool ok = fromFile || source->read(kemarSofaData(), kemarSofaSize(), count, az, el);
    last = std::make_unique<CachedSource>(
        CachedSource{{std::vector<float>(az, az + count), std::vector<float>(el, el + count)}, ok ? source : nullptr});
    auto result = last->source;
    lock.unlock();  // a build waiting for these responses need not wait for the disk too
    if (ok && !fromFile && !file.empty()) storeHrirSource(file, key, *source);
    return result;
}

}  // namespace

bool buildKemarHrirSet(HrirSet& out, double sampleRate, int count, const float* azimuths, const float* elevations,
                       int maxTaps) {
    if (count <= 0 || azimuths == nullptr || elevations == nullptr)
        return out.build(nullptr, 0, sampleRate, count, azimuths, elevations, maxTaps);

    Store& st = store();
    std::lock_guard<std::mutex> lock(st.setsMutex);
    auto& entries = st.sets;
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

void readKemarSource(int count, const float* azimuths, const float* elevations) {
    if (count > 0 && azimuths != nullptr && elevations != nullptr) sourceFor(count, azimuths, elevations);
}

void releaseKemarCache() {
    Store& st = store();
    {
        std::lock_guard<std::mutex> lock(st.setsMutex);
        st.sets.clear();
    }
    std::lock_guard<std::mutex> lock(st.sourceMutex);
    st.lastSource.reset();
}

}  // namespace halcyra
