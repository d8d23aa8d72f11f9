#include "SkyTestContext.h"

#include <cstdio>

namespace halcyra::test {

SkyFeed& SkyTestContext::nextSnapshot() {
    SkyFeed& s = feed.writeSlot();
    ResetSnapshot(s);
    return s;
}

void ResetSnapshot(SkyFeed& s) {
    s = SkyFeed{};
    s.onsetGain = 1.0f;
    for (RecentEvent& e : s.flashes) e = RecentEvent{};
}

std::string Describe(const IColor& c) {
    char text[48];
    std::snprintf(text, sizeof text, "(%d, %d, %d, %d)", c.A, c.R, c.G, c.B);
    return text;
}

}  // namespace halcyra::test
