// Limits as users type them: what is stored, what is refused and why.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "generator/limit_input.h"
#include "temp_dir.h"

namespace {

using generator::LimitInputError;
using generator::ParseLimitInput;
using testing_support::Gbk;

struct Case {
    const char *typed;  // UTF-8; the parser is given its GBK form
    LimitInputError error;
    const char *stored;
    bool rounded;
};

class LimitInput : public ::testing::TestWithParam<Case> {};

TEST_P(LimitInput, StoresTwoDecimalsOrRefuses) {
    const Case &c = GetParam();
    const generator::LimitInput got = ParseLimitInput(Gbk(c.typed));
    EXPECT_EQ(got.error, c.error) << c.typed;
    if (c.error != LimitInputError::kNone) return;
    EXPECT_EQ(got.stored, c.stored) << c.typed;
    EXPECT_EQ(got.rounded, c.rounded) << c.typed;
}

INSTANTIATE_TEST_SUITE_P(
    Typed, LimitInput,
    ::testing::Values(Case{"0.30", LimitInputError::kNone, "0.30", false},
                      Case{" 750 ", LimitInputError::kNone, "750.00", false},
                      Case{"-1.5e2", LimitInputError::kNone, "-150.00", false},
                      // an input method's full-width digits, minus and point
                      Case{"７５０", LimitInputError::kNone, "750.00", false},
                      Case{"－０．５", LimitInputError::kNone, "-0.50", false},
                      Case{"0.005", LimitInputError::kNone, "0.00", true},
                      Case{"0.125", LimitInputError::kNone, "0.12", true},
                      Case{"abc", LimitInputError::kNotANumber, "", false},
                      Case{"0,5", LimitInputError::kNotANumber, "", false},
                      Case{"", LimitInputError::kNotANumber, "", false},
                      Case{"1e", LimitInputError::kNotANumber, "", false},
                      Case{"0.5x", LimitInputError::kNotANumber, "", false},
                      Case{"五", LimitInputError::kNotANumber, "", false},
                      Case{"1e39", LimitInputError::kNotFinite, "", false},
                      Case{"inf", LimitInputError::kNotANumber, "", false},
                      // "%.2f" of 1e18 is 21 characters: more than the column holds
                      Case{"1e18", LimitInputError::kTooLong, "", false}),
    [](const ::testing::TestParamInfo<Case> &info) { return "Case" + std::to_string(info.index); });

TEST(LimitValue, AHeldFloatIsCheckedLikeATypedOne) {
    EXPECT_EQ(generator::CheckLimitValue(0.55f).stored, "0.55");
    EXPECT_EQ(generator::CheckLimitValue(1e30f).error, LimitInputError::kTooLong);
    EXPECT_EQ(generator::CheckLimitValue(std::numeric_limits<float>::infinity()).error,
              LimitInputError::kNotFinite);
}

}  // namespace
