// The process-wide connection handles, through the C functions.
#include <gtest/gtest.h>

#include "stationdb/stationdb.h"

namespace {

TEST(StationDbHandles, CountUpAndAreNeverReused) {
    stationdb::Connection a, b;
    unsigned ha = stationdb_register(&a);
    unsigned hb = stationdb_register(&b);
    EXPECT_NE(ha, 0u);
    EXPECT_GT(hb, ha);
    EXPECT_EQ(stationdb_lookup(ha), &a);
    EXPECT_EQ(stationdb_lookup(hb), &b);

    stationdb_unregister(ha);
    EXPECT_EQ(stationdb_lookup(ha), nullptr);
    EXPECT_EQ(stationdb_lookup(hb), &b);
    unsigned again = stationdb_register(&a);
    EXPECT_GT(again, hb);
    EXPECT_EQ(stationdb_lookup(again), &a);

    stationdb_unregister(hb);
    stationdb_unregister(again);
    stationdb_unregister(again);  // twice is harmless
}

TEST(StationDbHandles, ZeroUnknownAndNullAreNothing) {
    EXPECT_EQ(stationdb_lookup(0), nullptr);
    EXPECT_EQ(stationdb_lookup(0xFFFFFFF0u), nullptr);
    EXPECT_EQ(stationdb_register(nullptr), 0u);
    stationdb_unregister(0);
    stationdb_unregister(12345678u);
}

}  // namespace
