#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/number_text.h"
#include "platform/text_fields.h"
#include "platform/value_text.h"

using namespace std::literals;
using platform::NumberRules;
using platform::ParseDecimal;
using platform::ParseFloat;
using platform::ParseInteger;

namespace {

NumberRules Rules(bool leadingBlanks, bool plusSign, bool trailingText) {
    NumberRules rules;
    rules.leadingBlanks = leadingBlanks;
    rules.plusSign = plusSign;
    rules.trailingText = trailingText;
    return rules;
}

}  // namespace

TEST(TextFields, SplitsAtEveryTabAndKeepsEverythingElse) {
    using Fields = std::vector<std::string_view>;
    EXPECT_EQ(platform::SplitFields(""), Fields{""});
    EXPECT_EQ(platform::SplitFields("a"), Fields{"a"});
    EXPECT_EQ(platform::SplitFields("\t"), (Fields{"", ""}));
    EXPECT_EQ(platform::SplitFields("a\t\tb\t"), (Fields{"a", "", "b", ""}));
    EXPECT_EQ(platform::SplitFields(" a \tb\r"), (Fields{" a ", "b\r"}));
    const std::string withNul = "1\0002\t3"s;
    EXPECT_EQ(platform::SplitFields(withNul), (Fields{"1\0002"s, "3"}));
    EXPECT_EQ(platform::SplitFields("1,,2\t3", ','), (Fields{"1", "", "2\t3"}));
}

TEST(NumberText, ByDefaultTheWholeTextIsTheNumber) {
    EXPECT_EQ(ParseInteger("42"), 42);
    EXPECT_EQ(ParseInteger("-042"), -42);
    for (std::string_view text :
         std::vector<std::string_view>{"", "-", "+5", " 5", "5 ", "5x", "x5", "--5", "0x10", "5.0",
                                       "\0"sv, "5\0"sv, "\0005"sv})
        EXPECT_EQ(ParseInteger(text), std::nullopt) << '"' << text << '"';
    EXPECT_EQ(ParseDecimal("-.5"), -0.5);
    EXPECT_EQ(ParseDecimal("1e3"), 1000.0);
    for (std::string_view text :
         std::vector<std::string_view>{"", ".", "+1", " 1", "1 ", "1e", "0x10", "1\0"sv})
        EXPECT_EQ(ParseDecimal(text), std::nullopt) << '"' << text << '"';
}

TEST(NumberText, RulesWidenTheReadingOneByOne) {
    EXPECT_EQ(ParseInteger(" \t\r\n\v\f7", Rules(true, false, false)), 7);
    EXPECT_EQ(ParseInteger("7 ", Rules(true, false, false)), std::nullopt);
    EXPECT_EQ(ParseInteger(" +7", Rules(true, true, false)), 7);
    EXPECT_EQ(ParseInteger("+ 7", Rules(true, true, false)), std::nullopt);
    for (std::string_view twoSigns : {"+-7", "++7", "-+7"})
        EXPECT_EQ(ParseInteger(twoSigns, Rules(true, true, true)), std::nullopt) << twoSigns;
    EXPECT_EQ(ParseInteger("0.0", Rules(false, false, true)), 0);
    EXPECT_EQ(ParseInteger("12\0003"sv, Rules(false, false, true)), 12);
    EXPECT_EQ(ParseInteger("x12", Rules(false, false, true)), std::nullopt);
    EXPECT_EQ(ParseDecimal("  +1.5e1xyz", Rules(true, true, true)), 15.0);

    NumberRules hex;
    hex.hexadecimal = true;
    EXPECT_EQ(ParseDecimal("0x1p3", hex), 8.0);
    EXPECT_EQ(ParseDecimal("-0X.8", hex), -0.5);
    EXPECT_EQ(ParseDecimal("0x", hex), std::nullopt);
    EXPECT_EQ(ParseDecimal("0xinf", hex), std::nullopt);
    hex.trailingText = true;
    EXPECT_EQ(ParseDecimal("0xg", hex), 0.0);  // "0" and then text, as strtod reads it
}

TEST(NumberText, OutOfRangeIsNoNumberUnlessSaturated) {
    EXPECT_EQ(ParseInteger("9223372036854775807"), std::numeric_limits<long long>::max());
    EXPECT_EQ(ParseInteger("-9223372036854775808"), std::numeric_limits<long long>::min());
    EXPECT_EQ(ParseInteger("9223372036854775808"), std::nullopt);
    EXPECT_EQ(ParseInteger("99999999999999999999x", Rules(false, false, true)), std::nullopt);
    EXPECT_EQ(ParseDecimal("1e999"), std::nullopt);
    EXPECT_EQ(ParseFloat("1e39"), std::nullopt);
    EXPECT_EQ(ParseFloat("1e-50"), std::nullopt);

    NumberRules saturate;
    saturate.saturate = true;
    EXPECT_EQ(ParseDecimal("1e999", saturate), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseDecimal("-1e999", saturate), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseDecimal("1e-999", saturate), 0.0);
    EXPECT_EQ(ParseDecimal("100000e-330", saturate), 0.0);
    EXPECT_EQ(ParseDecimal("0.00001e99999999999999999999", saturate),
              std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::signbit(*ParseDecimal("-0.001e-999", saturate)));
    EXPECT_EQ(ParseFloat("1e39", saturate), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ParseFloat("1e-50", saturate), 0.0f);
    saturate.hexadecimal = true;
    EXPECT_EQ(ParseDecimal("-0x1p99999", saturate), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ParseDecimal("0x0.001p-1100", saturate), 0.0);
    EXPECT_TRUE(std::isinf(*ParseDecimal("-inf")));
    EXPECT_TRUE(std::isnan(*ParseDecimal("nan")));
}

TEST(NumberText, FloatIsRoundedOnceAsStrtofDoes) {
    // Halfway between two floats once rounded to a double, just above it in
    // decimal: through a double it would round to the even float below.
    const char *text = "1.00000005960464477550";
    EXPECT_EQ(ParseFloat(text), std::strtof(text, nullptr));
    EXPECT_NE(ParseFloat(text), static_cast<float>(std::strtod(text, nullptr)));
}

TEST(ValueText, LegacyConversionsReadTheLeadingNumberOrZero) {
    EXPECT_EQ(platform::IntegerOf(" -12abc"), -12);
    EXPECT_EQ(platform::IntegerOf("abc"), 0);
    EXPECT_EQ(platform::IntegerOf("99999999999"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(platform::IntegerOf("-99999999999"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(platform::DecimalOf(" 12.5abc "), 12.5);
    EXPECT_EQ(platform::DecimalOf("+-5"), 0.0);
    EXPECT_EQ(platform::DecimalOf("abc"), 0.0);
    EXPECT_EQ(platform::DecimalOf("0x10"), 16.0);
    EXPECT_EQ(platform::DecimalOf("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(platform::DecimalOf("3\0004"sv), 3.0);
    EXPECT_EQ(platform::FloatOf("1e39"), std::numeric_limits<float>::infinity());
    EXPECT_EQ(platform::FloatOf("-1e39"), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(platform::FloatOf("\t+0.1\r\n"), 0.1f);
}

TEST(ValueText, EachTrimHasItsOwnSetOfBlanks) {
    const std::string_view text = " \t\r\v x \v\r \t\r";
    EXPECT_EQ(platform::TrimBlanks(text), "x");
    EXPECT_EQ(platform::TrimSpacesAndTabs(text), "\r\v x \v\r \t\r");
    EXPECT_EQ(platform::TrimLineBlanks(text), "\r\v x \v");
    EXPECT_EQ(platform::TrimBlanks(" \t "), "");
    EXPECT_EQ(platform::TrimLineBlanks("\r \r"), "");
}
