#include "dsp/stars/RecentEventList.h"

namespace halcyra {

void RecentEventList::prune(long long maxAgeSamples) {
    int kept = 0;
    for (int i = 0; i < count_; ++i)
        if (records_[i].ageSamples < maxAgeSamples) records_[kept++] = records_[i];
    count_ = kept;
}

void RecentEventList::add(const RecentEvent& event, long long maxAgeSamples) {
    prune(maxAgeSamples);
    if (count_ >= kMaxRecentEvents) {
        for (int i = 1; i < count_; ++i) records_[i - 1] = records_[i];
        --count_;
    }
    records_[count_++] = event;
}

void RecentEventList::age(int n, long long maxAgeSamples) {
    for (int i = 0; i < count_; ++i) {
        // Saturate: a record is dropped long before this matters, but never wrap.
        const long long aged = static_cast<long long>(records_[i].ageSamples) + n;
        records_[i].ageSamples = aged > 0x7fffffffLL ? 0x7fffffff : static_cast<int>(aged);
    }
    prune(maxAgeSamples);
}

}  // namespace halcyra
