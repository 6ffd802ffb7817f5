#include "store/condition_compare.h"

#include <gtest/gtest.h>

struct CompareCase {
    const char *a;
    const char *b;
    bool equal;
};

class ConditionCompare : public ::testing::TestWithParam<CompareCase> {};

TEST_P(ConditionCompare, FoldsAsciiLettersOnlyOutsideGbkCharacters) {
    const CompareCase &c = GetParam();
    EXPECT_EQ(store::ConditionEqualsNoCase(c.a, c.b), c.equal);
    EXPECT_EQ(store::FoldCondition(c.a) == store::FoldCondition(c.b), c.equal);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConditionCompare,
                         ::testing::Values(CompareCase{"RM<=1020", "rm<=1020", true},
                                           CompareCase{"VEH", "veh", true},
                                           CompareCase{"abc", "abd", false},
                                           CompareCase{"abc", "abcd", false},
                                           CompareCase{"", "", true},
                                           // 0x81 0x41 is a double-byte character whose trail byte
                                           // is 'A': it must not equal 0x81 0x61.
                                           CompareCase{"\x81\x41x", "\x81\x61x", false},
                                           CompareCase{"\x81\x41X", "\x81\x41x", true},
                                           // Other bytes compare exactly.
                                           CompareCase{"[", "{", false}));
