// Calls into the C translation unit that compiles the public headers as C.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "plinth.h"

extern "C" std::size_t HeadersAsCStdHeadBytes(void);
extern "C" int HeadersAsCStartInfoBuffer(void *buf, const char *text);

namespace {

TEST(HeadersAsC, LayoutAndCallsAgreeWithCxx) {
    EXPECT_EQ(HeadersAsCStdHeadBytes(), sizeof(StdHead));
    std::vector<char> buf(PLINTH_BUFFER_BYTES, 0);
    ASSERT_EQ(HeadersAsCStartInfoBuffer(buf.data(), "10820001"), 1);
    InfoEntry e;
    ASSERT_EQ(ParseStdHead_Info(buf.data(), 1082, &e), 1);
    EXPECT_STREQ(e.text, "10820001");
}

}  // namespace
