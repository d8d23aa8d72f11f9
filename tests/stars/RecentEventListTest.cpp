// The editor's flash list: at most 32 records, none older than 1.5 s, and ages that
// never wrap however long the session.
#include <gtest/gtest.h>

#include "dsp/stars/RecentEventList.h"

using namespace halcyra;

namespace {
constexpr long long kMaxAge = 72000;  // 1.5 s at 48 kHz
RecentEvent record(int point) {
    RecentEvent e;
    e.point = point;
    e.gain = 1.0f;
    e.type = 1;
    e.levelDb = 3.0f;
    return e;
}
}  // namespace

TEST(RecentEventList, KeepsTheNewest32InOrder) {
    RecentEventList list;
    for (int i = 0; i < 40; ++i) {
        list.add(record(i), kMaxAge);
        list.age(32, kMaxAge);
    }
    ASSERT_EQ(list.count(), 32);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(list[i].point, 8 + i);
    EXPECT_EQ(list[31].ageSamples, 32);
    EXPECT_EQ(list[0].ageSamples, 32 * 32);
}

TEST(RecentEventList, DropsRecordsAt1Point5Seconds) {
    RecentEventList list;
    list.add(record(1), kMaxAge);
    list.age(static_cast<int>(kMaxAge - 1), kMaxAge);
    ASSERT_EQ(list.count(), 1);
    list.add(record(2), kMaxAge);
    list.age(1, kMaxAge);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list[0].point, 2);
}

TEST(RecentEventList, StaysBoundedAndAgesNeverWrap) {
    // Pruning runs on every call, so a minute of 32-frame sub-blocks shows what a day would.
    RecentEventList list;
    for (long long b = 0; b < 60LL * 48000 / 32; ++b) {
        if (b % 200 == 0) list.add(record(static_cast<int>(b % 128)), kMaxAge);
        list.age(32, kMaxAge);
        ASSERT_LE(list.count(), 32);
        ASSERT_TRUE(list.count() == 0 || list[0].ageSamples < kMaxAge) << "stale record at sub-block " << b;
    }
    // With a limit no age reaches, a record's age saturates instead of wrapping.
    const long long never = 1LL << 40;
    list.add(record(7), never);
    for (int i = 0; i < 3; ++i) list.age(0x7fffffff, never);
    EXPECT_EQ(list[list.count() - 1].ageSamples, 0x7fffffff);
}
