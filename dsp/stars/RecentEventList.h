// The stars started in the last 1.5 seconds, newest last, for the editor's flashes.
#pragma once

#include "dsp/stars/RecentEvent.h"

namespace halcyra {

class RecentEventList {
public:
    void clear() { count_ = 0; }

    // Drops records of age >= maxAgeSamples, makes room if full, appends `event`.
    void add(const RecentEvent& event, long long maxAgeSamples);

    // Ages every record by n samples and drops those now >= maxAgeSamples, so ages
    // stay bounded however long the session runs.
    void age(int n, long long maxAgeSamples);

    int count() const { return count_; }
    const RecentEvent& operator[](int i) const { return records_[i]; }
    const RecentEvent* data() const { return records_; }

private:
    void prune(long long maxAgeSamples);

    RecentEvent records_[kMaxRecentEvents];
    int count_ = 0;
};

}  // namespace halcyra
