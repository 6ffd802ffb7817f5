// Codes and names from the shipped dictionary (plinth-codes.tsv beside the
// built library).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "plinth.h"
#include "temp_dir.h"

namespace {

using testing_support::Gbk;

std::string NameOf(int code) {
    char out[PLINTH_NAME_BYTES];
    std::memset(out, 0x41, sizeof out);
    if (GetZK2IDInfo(code, out) != 1) return "<unknown>";
    return out;
}

std::string CodeNamed(const std::string &gbkName, int paramId) {
    char out[PLINTH_NAME_BYTES] = "<untouched>";
    if (GetParamIDByName(gbkName.c_str(), paramId, out) != 1) return out;
    return out;
}

struct Named {
    int key;
    const char *utf8Name;
};
void PrintTo(const Named &n, std::ostream *os) {
    *os << n.key;
}

class FixedName : public testing::TestWithParam<Named> {};

// Names that rules and tools rely on, both ways.
TEST_P(FixedName, IsKnownBothWays) {
    const Named n = GetParam();
    EXPECT_EQ(NameOf(n.key), Gbk(n.utf8Name));
    if (n.key >= 10000000) {
        EXPECT_EQ(CodeNamed(Gbk(n.utf8Name), n.key / 10000), std::to_string(n.key));
    }
}

INSTANTIATE_TEST_SUITE_P(
    ShippedDictionary, FixedName,
    testing::Values(Named{1104, "厂牌"}, Named{1069, "车型"}, Named{10050001, "汽油"},
                    Named{10050002, "柴油"}, Named{10480001, "涡轮增压"},
                    Named{10480002, "自然进气"}, Named{11640001, "是"}, Named{11640002, "否"},
                    Named{10080001, "新注册车"}, Named{10080002, "在用车"},
                    Named{10370001, "液压制动"}, Named{10370002, "气压制动"},
                    Named{10090001, "一灯制"}, Named{10090002, "两灯制"}, Named{10090003, "四灯制"},
                    Named{10700001, "直接档"}, Named{10820001, "轿车"}, Named{10820002, "载货汽车"},
                    Named{10820005, "厢式货车"}, Named{10820006, "罐式货车"},
                    Named{10820007, "半挂列车"}, Named{10820010, "两轮摩托车"},
                    Named{10820011, "正三轮摩托车"}, Named{10820012, "三轮汽车"},
                    Named{10820013, "边三轮摩托车"}));

// Every parameter the judging engine reads is named, every coded value of
// these parameters has a name that leads back to it (names are unique within
// a parameter), and every vehicle kind the rules list has a name.
TEST(ShippedDictionary, NamesAreCompleteAndLeadBack) {
    const int parameters[] = {1104, 1069, 1013, 1082, 1088, 1083, 1089, 1014, 1005, 1048, 1066,
                              1037, 1009, 1084, 1008, 1047, 1045, 1011, 1164, 1070, 1006, 1038};
    for (int p : parameters) {
        ASSERT_NE(NameOf(p), "<unknown>") << p;
        for (int code = p * 10000 + 1; code <= p * 10000 + 9999; ++code) {
            const std::string name = NameOf(code);
            if (name == "<unknown>") continue;
            EXPECT_EQ(CodeNamed(name, p), std::to_string(code)) << code;
        }
    }
    for (int code :
         {10820001, 10820013, 10820040, 10820041, 10110003, 10060001, 10060019, 10380001, 10690038})
        EXPECT_NE(NameOf(code), "<unknown>") << code;
}

TEST(ShippedDictionary, SubCodesMapToTheirMainCode) {
    const int passengerKinds[] = {10820001, 10820003, 10820004, 10820008, 10820009};
    for (int sub = 10820100; sub <= 10820103; ++sub) {
        const int main = GetMainID(sub);
        EXPECT_NE(main, sub);
        EXPECT_NE(std::find(std::begin(passengerKinds), std::end(passengerKinds), main),
                  std::end(passengerKinds))
            << sub;
    }
    EXPECT_EQ(GetMainID(10480100), 10480001);
    EXPECT_EQ(GetMainID(10050102), 10050002);
    for (int plain : {10820001, 10480002, 1082, 0, -10820100, 12345, 99999999})
        EXPECT_EQ(GetMainID(plain), plain);
}

struct CodeText {
    const char *text;
    int isCode;
};
void PrintTo(const CodeText &c, std::ostream *os) {
    *os << '"' << c.text << '"';
}

class CodeTextCase : public testing::TestWithParam<CodeText> {};

TEST_P(CodeTextCase, IsSubIdChar) {
    EXPECT_EQ(IsSubID_char(GetParam().text), GetParam().isCode) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(ShippedDictionary, CodeTextCase,
                         testing::Values(CodeText{"10820001", 1}, CodeText{" 10820001\t", 1},
                                         CodeText{"10820100", 1}, CodeText{"11640002", 1},
                                         CodeText{"99990001", 0},   // parameter 9999 is not named
                                         CodeText{"1082001", 0},    // 7 digits
                                         CodeText{"108200011", 0},  // 9 digits
                                         CodeText{"+1082000", 0}, CodeText{"1082 001", 0},
                                         CodeText{"1082000a", 0}, CodeText{"1082", 0},
                                         CodeText{"", 0}, CodeText{"   ", 0}));

TEST(ShippedDictionary, IsSubIdVariants) {
    EXPECT_EQ(IsSubID_char(nullptr), 0);
    EXPECT_EQ(IsSubID_int(10820001), 1);
    EXPECT_EQ(IsSubID_int(10370002), 1);
    EXPECT_EQ(IsSubID_int(99990001), 0);
    EXPECT_EQ(IsSubID_int(1082), 0);
    EXPECT_EQ(IsSubID_int(-10820001), 0);
    EXPECT_EQ(IsSubID_charEx("10820001", 1082), 1);
    EXPECT_EQ(IsSubID_charEx(" 10370002 ", 1037), 1);
    EXPECT_EQ(IsSubID_charEx("10820001", 1037), 0);
    EXPECT_EQ(IsSubID_charEx("99990001", 9999), 0);
    EXPECT_EQ(IsSubID_charEx("abc", 1082), 0);
    EXPECT_EQ(IsSubID_charEx(nullptr, 1082), 0);
}

TEST(ShippedDictionary, NameLookupEdges) {
    EXPECT_EQ(CodeNamed(" " + Gbk("轿车") + "\t", 1082), "10820001") << "blanks are trimmed";
    EXPECT_EQ(CodeNamed(Gbk("微型轿车"), 1082), "10820100");
    EXPECT_EQ(CodeNamed(Gbk("汽油"), 1082), "<untouched>") << "a value of another parameter";
    EXPECT_EQ(CodeNamed(Gbk("轿"), 1082), "<untouched>") << "exact match only";
    EXPECT_EQ(CodeNamed(Gbk("车型"), 1069), "<untouched>") << "parameter names are not values";
    EXPECT_EQ(CodeNamed(Gbk("轿车"), 0), "<untouched>");
    EXPECT_EQ(CodeNamed(Gbk("轿车"), 108200), "<untouched>");
    char out[PLINTH_NAME_BYTES];
    EXPECT_EQ(GetParamIDByName(nullptr, 1082, out), 0);
    EXPECT_EQ(GetParamIDByName(Gbk("轿车").c_str(), 1082, nullptr), 0);

    std::memset(out, 'z', sizeof out);
    EXPECT_EQ(GetZK2IDInfo(10829999, out), 0);
    EXPECT_EQ(out[0], 'z') << "an unknown key writes nothing";
    EXPECT_EQ(GetZK2IDInfo(10820001, nullptr), 0);
}

}  // namespace
