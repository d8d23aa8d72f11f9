#include "dsp/stars/HrirSource.h"

#include <mysofa.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "dsp/stars/HrirSourceNeighbours.h"

namespace halcyra {

namespace {

struct HrtfFree {
    void operator()(MYSOFA_HRTF* h) const { mysofa_free(h); }
};
struct LookupFree {
    void operator()(MYSOFA_LOOKUP* l) const { mysofa_lookup_free(l); }
};

// The reader levels a set by the measurement with the smallest azimuth + elevation
// in its stored spherical coordinates (ties: the larger radius, compared as an integer).
int levelReferenceIndex(MYSOFA_HRTF& hrtf) {
    const char* type = mysofa_getAttribute(hrtf.SourcePosition.attributes, const_cast<char*>("Type"));
    const bool cartesian = type != nullptr && std::strcmp(type, "cartesian") == 0;
    float smallest = 0.0f;
    int radius = 0, index = -1;
    for (unsigned m = 0; m < hrtf.M; ++m) {
        float p[3];
        std::copy_n(hrtf.SourcePosition.values + static_cast<std::size_t>(m) * hrtf.C, 3, p);
        if (cartesian) mysofa_c2s(p);
        const float sum = p[0] + p[1];
        if (index < 0 || sum < smallest) {
            smallest = sum;
            radius = static_cast<int>(p[2]);
            index = static_cast<int>(m);
        } else if (sum == smallest && static_cast<float>(radius) < p[2]) {
            radius = static_cast<int>(p[2]);
            index = static_cast<int>(m);
        }
    }
    return index;
}

}  // namespace

bool HrirSource::read(const unsigned char* data, std::size_t size, int directions, const float* azimuths,
                      const float* elevations) {
    *this = HrirSource{};
    if (data == nullptr || size == 0 || directions <= 0 || azimuths == nullptr || elevations == nullptr) return false;

    // The reader's own opening sequence, without converting the set to another rate.
    int error = MYSOFA_OK;
    std::unique_ptr<MYSOFA_HRTF, HrtfFree> hrtf(mysofa_load_data(reinterpret_cast<const char*>(data), size, &error));
    if (!hrtf || error != MYSOFA_OK || mysofa_check(hrtf.get()) != MYSOFA_OK) return false;
    if (hrtf->DataSamplingRate.elements != 1 || hrtf->N == 0 || hrtf->R != 2 || hrtf->C != 3) return false;
    const int reference = levelReferenceIndex(*hrtf);
    if (reference < 0) return false;
    mysofa_loudness(hrtf.get());
    mysofa_tocartesian(hrtf.get());
    std::unique_ptr<MYSOFA_LOOKUP, LookupFree> lookup(mysofa_lookup_init(hrtf.get()));
    if (!lookup) return false;
    // Neighbours only of the measurements the directions need, not of the whole set.
    std::vector<std::array<int, 6>> neighbours(hrtf->M);
    std::vector<char> neighboursKnown(hrtf->M, 0);

    const auto n = static_cast<std::size_t>(hrtf->N);
    HrirSource out;
    out.sampleRate = hrtf->DataSamplingRate.values[0];
    out.length = static_cast<int>(hrtf->N);
    out.count = directions;
    out.left.resize(n * static_cast<std::size_t>(directions));
    out.right.resize(n * static_cast<std::size_t>(directions));
    out.leftDelay.resize(static_cast<std::size_t>(directions));
    out.rightDelay.resize(static_cast<std::size_t>(directions));
    const float* referencePair = hrtf->DataIR.values + static_cast<std::size_t>(reference) * 2 * n;
    out.levelReference.assign(referencePair, referencePair + 2 * n);

    std::vector<float> fir(2 * n);
    for (int i = 0; i < directions; ++i) {
        // The reader's azimuth grows towards the listener's left; ours towards the right.
        float position[3] = {-azimuths[i], elevations[i], 1.0f};
        mysofa_s2c(position);
        const int nearest = mysofa_lookup(lookup.get(), position);
        if (nearest < 0 || nearest >= static_cast<int>(hrtf->M)) return false;
        const auto row = static_cast<std::size_t>(nearest);
        if (!neighboursKnown[row]) {
            measurementNeighbours(*lookup, hrtf->SourcePosition.values + row * hrtf->C, nearest, neighbours[row].data());
            neighboursKnown[row] = 1;
        }
        float delays[2] = {0.0f, 0.0f};
        const float* pair =
            mysofa_interpolate(hrtf.get(), position, nearest, neighbours[row].data(), fir.data(), delays);
        std::copy(pair, pair + n, out.left.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(i) * n));
        std::copy(pair + n, pair + 2 * n, out.right.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(i) * n));
        out.leftDelay[static_cast<std::size_t>(i)] = delays[0];
        out.rightDelay[static_cast<std::size_t>(i)] = delays[1];
    }
    *this = std::move(out);
    return true;
}

}  // namespace halcyra
