// GetField, TrimLeft and TrimRight.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plinth.h"
#include "temp_dir.h"

namespace {

using testing_support::Gbk;

struct FieldCase {
    const char *line;
    int n;
    const char *field;
    int result;
};
void PrintTo(const FieldCase &c, std::ostream *os) {
    *os << '"' << c.line << "\" " << c.n;
}

class CommaField : public testing::TestWithParam<FieldCase> {};

TEST_P(CommaField, GivesFieldOrEmpty) {
    const FieldCase c = GetParam();
    char out[PLINTH_FIELD_BYTES];
    std::memset(out, 'q', sizeof out);
    EXPECT_EQ(GetField(c.line, out, c.n), c.result);
    EXPECT_STREQ(out, c.field);
}

INSTANTIATE_TEST_SUITE_P(GetField, CommaField,
                         testing::Values(FieldCase{"dsn,a,b,c,d,sa,secret", 0, "dsn", 1},
                                         FieldCase{"dsn,a,b,c,d,sa,secret", 5, "sa", 1},
                                         FieldCase{"dsn,a,b,c,d,sa,secret", 6, "secret", 1},
                                         FieldCase{"dsn,a,b,c,d,sa,secret", 7, "", 0},
                                         FieldCase{"a,,c", 1, "", 1}, FieldCase{"a,", 1, "", 1},
                                         FieldCase{"a", 1, "", 0}, FieldCase{"", 0, "", 1},
                                         FieldCase{" x ,y", 0, " x ", 1},
                                         FieldCase{"a,b", -1, "", 0}));

TEST(GetField, LongFieldIsCutAtCharacterBoundary) {
    char out[PLINTH_FIELD_BYTES];
    const std::string ascii = "x," + std::string(600, 'y') + ",z";
    ASSERT_EQ(GetField(ascii.c_str(), out, 1), 1);
    EXPECT_EQ(std::string(out), std::string(511, 'y'));
    EXPECT_EQ(GetField(ascii.c_str(), out, 2), 1);
    EXPECT_STREQ(out, "z");

    const std::string wide = std::string(510, 'y') + Gbk("中") + "w";
    ASSERT_EQ(GetField(wide.c_str(), out, 0), 1);
    EXPECT_EQ(std::string(out), std::string(510, 'y'));
}

TEST(GetField, NullArguments) {
    char out[PLINTH_FIELD_BYTES] = "old";
    EXPECT_EQ(GetField(nullptr, out, 0), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetField("a,b", nullptr, 0), 0);
}

struct TrimCase {
    std::string text;
    char ch;
    std::string left;
    std::string right;
};
void PrintTo(const TrimCase &c, std::ostream *os) {
    *os << testing::PrintToString(c.text) << " 0x" << std::hex
        << static_cast<int>(static_cast<unsigned char>(c.ch)) << std::dec;
}

class TrimEnds : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimEnds, RemovesEveryOccurrenceAtOneEnd) {
    const TrimCase c = GetParam();
    std::string left = c.text, right = c.text;
    TrimLeft(left.data(), c.ch);
    TrimRight(right.data(), c.ch);
    EXPECT_EQ(std::string(left.c_str()), c.left);
    EXPECT_EQ(std::string(right.c_str()), c.right);
}

INSTANTIATE_TEST_SUITE_P(Trim, TrimEnds,
                         testing::Values(TrimCase{"  ab c  ", ' ', "ab c  ", "  ab c"},
                                         TrimCase{"xxaxbxx", 'x', "axbxx", "xxaxb"},
                                         TrimCase{"   ", ' ', "", ""}, TrimCase{"", ' ', "", ""},
                                         TrimCase{"ab", ' ', "ab", "ab"},
                                         // 0x81 0x40 is one character whose trail byte is '@'.
                                         TrimCase{"@\x81@", '@', "\x81@", "@\x81@"},
                                         // A lead-byte value is not a character of its own.
                                         TrimCase{"\xB0\xA1z", '\xB0', "\xB0\xA1z", "\xB0\xA1z"},
                                         TrimCase{"z\xB0\xA1", '\xB0', "z\xB0\xA1", "z\xB0\xA1"}));

TEST(Trim, NullTextIsIgnored) {
    TrimLeft(nullptr, ' ');
    TrimRight(nullptr, ' ');
}

}  // namespace
