#include "bridges/device_data.h"

#include <gtest/gtest.h>

TEST(DeviceDataRecord, LoadTimeBytes) {
    bridges::DeviceDataRecord record;
    const unsigned char *b = record.Data();
    for (std::size_t i = 0; i < bridges::kDeviceDataBytes; ++i) {
        unsigned char expected = 0;
        if (i == 1) expected = 2;
        if (i == 377) expected = 255;
        if (i >= 41 && i < 41 + 4 * 84 && (i - 41) % 84 == 2) expected = 255;
        EXPECT_EQ(b[i], expected) << "byte " << i;
    }
    record.MarkInitialised();
    EXPECT_EQ(b[39], 1);
}
