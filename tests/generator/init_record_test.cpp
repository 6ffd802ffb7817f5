#include <gtest/gtest.h>

#include <cstdint>

#include "generator/sergen_module.h"

namespace {

// The host writes the record's fields through the same encoding the module
// reads them with: little-endian at the documented offsets, whatever the
// host's byte order, and the host's other bytes untouched.
TEST(InitRecord, HostWritesTheFieldsTheModuleReads) {
    generator::InitRecord record;
    record.SetRect({-5, 20, 1024, 768});
    record.SetConnectionHandle(0x01020304u);

    const unsigned char *bytes = record.Bytes();
    const unsigned char left[4] = {0xfb, 0xff, 0xff, 0xff};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bytes[generator::kInitRectOffset + i], left[i]);
    const unsigned char handle[4] = {0x04, 0x03, 0x02, 0x01};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bytes[generator::kInitConnectionOffset + i], handle[i]);
    EXPECT_EQ(bytes[generator::kInitFlag0Offset], 1);  // the defaults around them stay
    EXPECT_EQ(bytes[generator::kInitWord1Offset], 1);

    generator::InitRecord copy;
    copy.CopyFrom(record.Bytes());
    const generator::EditorRect rect = copy.Rect();
    EXPECT_EQ(rect.left, -5);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right, 1024);
    EXPECT_EQ(rect.bottom, 768);
    EXPECT_EQ(copy.ConnectionHandle(), 0x01020304u);
}

}  // namespace
