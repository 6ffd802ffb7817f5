// The condition rules, case by case from VehicleProfile values: every
// boundary date, mass and reference-mass class, seat, speed and power
// threshold, the moped test and the unlisted kinds; then series mode and the
// date comparison.
#include "engine/condition_rules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "condition_rule_case.h"
#include "platform/gbk.h"
#include "store/item_set.h"
#include "temp_dir.h"

namespace rules_test {

using engine::BuildCondition;
using engine::kConditionBytes;
using testing_support::Gbk;

TEST_P(ConditionRule, WritesTheFiledCondition) {
    const RuleCase &c = GetParam();
    const VehicleProfile p = Apply(c.change);
    char out[kConditionBytes];
    std::memset(out, 'x', sizeof out);
    int flag = -1;
    int result = BuildCondition(p, c.itemId, out, 0, &flag);
    ASSERT_NE(std::memchr(out, '\0', sizeof out), nullptr);
    if (c.expected == nullptr) {
        EXPECT_EQ(result, 0);
        EXPECT_STREQ(out, "");
    } else {
        EXPECT_EQ(result, 1);
        EXPECT_EQ(std::string(out), Gbk(c.expected)) << "got " << platform::GbkToUtf8Lossy(out);
    }
    EXPECT_EQ(flag, c.classFlag);
}

namespace {

// Items 204, 205, 207, 244, 300: production periods.
const RuleCase kDateCases[] = {
    {"I204_Turbo", 204, {}, "2001年10月1日起(包含)/涡轮增压"},
    {"I204_Natural", 204, {.intake = 10480002}, "2001年10月1日起(包含)/自然进气"},
    {"I204_DateNotExamined", 204, {.date = "1990-01-01"}, "2001年10月1日起(包含)/涡轮增压"},
    {"I205_BeforeJul1995",
     205,
     {.date = "1995-06-30", .intake = 10480002},
     "1995年7月1日以前/涡轮增压"},
    {"I205_FromJul1995",
     205,
     {.date = "1995-07-01", .intake = 10480002},
     "1995年7月1日至2001年10月1日/涡轮增压"},
    {"I205_LastDayBeforeOct2001",
     205,
     {.date = "2001-09-30", .intake = 10480002},
     "1995年7月1日至2001年10月1日/涡轮增压"},
    {"I205_FromOct2001Natural",
     205,
     {.date = "2001-10-01", .intake = 10480002},
     "2001年10月1日起(包含)/自然进气"},
    {"I205_FromOct2001Turbo", 205, {.date = "2001-10-01"}, "2001年10月1日起(包含)/涡轮增压"},
    {"I205_UnparsableDateIsYear0", 205, {.date = "abcd-ef-gh"}, "1995年7月1日以前/涡轮增压"},
    // 207, new registrations, compared with 2005-07-01.
    {"I207_NewHeavyFromJul2005",
     207,
     {.date = "2005-07-01", .totalMass = 3501, .isNew = 1},
     "新注册车/2005年7月1日起新生产的重型车"},
    {"I207_NewHeavyBeforeJul2005",
     207,
     {.date = "2005-06-30", .totalMass = 3501, .isNew = 1},
     "新注册车/2005年7月1日起新生产的第二类轻型汽车"},
    {"I207_NewSevenSeats",
     207,
     {.totalMass = 3500, .seats = 7, .isNew = 1},
     "新注册车/2005年7月1日起新生产的第二类轻型汽车"},
    {"I207_NewMass2501",
     207,
     {.totalMass = 2501, .isNew = 1},
     "新注册车/2005年7月1日起新生产的第二类轻型汽车"},
    {"I207_NewFirstClass",
     207,
     {.date = "2005-07-01", .seats = 6, .isNew = 1},
     "新注册车/2005年7月1日起新生产的第一类轻型汽车"},
    {"I207_NewFirstClassBeforeJul2005",
     207,
     {.date = "2005-06-30", .isNew = 1},
     "新注册车/2005年7月1日起新生产的第二类轻型汽车"},
    // 207, vehicles in use.
    {"I207_Kind8FromMay2001End",
     207,
     {.date = "2001-05-31", .kind = K(7), .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "在用车/2000年7月1日起生产的第一类轻型汽车*"},
    {"I207_Kind9BeforeMay2001EndHeavy",
     207,
     {.date = "2001-05-30", .kind = K(8), .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "在用车/1995年7月1日起生产的重型汽车"},
    {"I207_HeavyBeforeJul1995",
     207,
     {.date = "1995-06-30", .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "在用车/1995年7月1日前生产的重型汽车"},
    {"I207_HeavyFromJul1995",
     207,
     {.date = "1995-07-01", .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "在用车/1995年7月1日起生产的重型汽车"},
    {"I207_HeavyLastDayBeforeSep2004",
     207,
     {.date = "2004-08-31", .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "在用车/1995年7月1日起生产的重型汽车"},
    {"I207_HeavyFromSep2004",
     207,
     {.date = "2004-09-01", .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "在用车/2004年9月1日起生产的重型汽车"},
    {"I207_LightBeforeJul1995", 207, {.date = "1995-06-30"}, "在用车/1995年7月1日前生产的轻型汽车"},
    {"I207_LightFromJul1995", 207, {.date = "2000-06-30"}, "在用车/1995年7月1日起生产的轻型汽车"},
    {"I207_LightSevenSeatsFromJul2000",
     207,
     {.date = "2000-07-01", .seats = 7},
     "在用车/2001年10月1日起生产的第二类轻型汽车"},
    {"I207_LightMass2501", 207, {.totalMass = 2501}, "在用车/2001年10月1日起生产的第二类轻型汽车"},
    {"I207_LightFirstClassFromJul2000",
     207,
     {.date = "2000-07-01", .seats = 6},
     "在用车/2000年7月1日起生产的第一类轻型汽车*"},
    // 244: later and earlier date per group.
    {"I244_HeavyFromSep2004",
     244,
     {.date = "2004-09-01", .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "条件1"},
    {"I244_HeavyBeforeSep2004",
     244,
     {.date = "2004-08-31", .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "条件2"},
    {"I244_HeavyFromSep2001",
     244,
     {.date = "2001-09-01", .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "条件2"},
    {"I244_HeavyBeforeSep2001",
     244,
     {.date = "2001-08-31", .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "条件3"},
    {"I244_FirstClassFromJul2005", 244, {.date = "2005-07-01"}, "条件1"},
    {"I244_FirstClassBeforeJul2005", 244, {.date = "2005-06-30"}, "条件2"},
    {"I244_FirstClassFromJul2000", 244, {.date = "2000-07-01"}, "条件2"},
    {"I244_FirstClassBeforeJul2000", 244, {.date = "2000-06-30"}, "条件3"},
    {"I244_SecondClassFromJul2006",
     244,
     {.date = "2006-07-01", .totalMass = 3000, .lightClass = 2},
     "条件1"},
    {"I244_SecondClassBeforeJul2006",
     244,
     {.date = "2006-06-30", .totalMass = 3000, .lightClass = 2},
     "条件2"},
    {"I244_SecondClassFromOct2001",
     244,
     {.date = "2001-10-01", .totalMass = 3000, .lightClass = 2},
     "条件2"},
    {"I244_SecondClassBeforeOct2001",
     244,
     {.date = "2001-09-30", .totalMass = 3000, .lightClass = 2},
     "条件3"},
    {"I244_LoadClassIsSecondGroup", 244, {.date = "2006-06-30", .lightClass = 0}, "条件2"},
    {"I244_UnparsableDate", 244, {.date = "abcd-ef-gh"}, "条件3"},
    // 300: motorcycles by date and strokes.
    {"I300_BeforeJul2003FourStroke",
     300,
     {.date = "2003-06-30", .strokes = 4},
     "2003年7月1日以前生产的在用车检查试验/四冲程"},
    {"I300_BeforeJul2003TwoStroke",
     300,
     {.date = "2003-06-30"},
     "2003年7月1日以前生产的在用车检查试验/两冲程"},
    {"I300_FromJul2003ThreeStrokes",
     300,
     {.date = "2003-07-01", .strokes = 3},
     "2003年7月1日起生产的在用车检查试验/四冲程"},
    {"I300_FromJul2003TwoStroke",
     300,
     {.date = "2003-07-01"},
     "2003年7月1日起生产的在用车检查试验/两冲程"},
};
INSTANTIATE_TEST_SUITE_P(Dates, ConditionRule, ::testing::ValuesIn(kDateCases), CaseName);

// Items 212, 216, 276: mass and reference-mass classes (RM = curb mass + 100).
const RuleCase kMassCases[] = {
    {"I212_Curb999", 212, {.curbMass = 999}, "RM<1000kg/单轴"},
    {"I212_Curb1000", 212, {.curbMass = 1000}, "1000kg<=RM<=4000kg/单轴"},
    {"I212_Curb4000", 212, {.curbMass = 4000}, "1000kg<=RM<=4000kg/单轴"},
    {"I212_Curb4001", 212, {.curbMass = 4001}, "4000kg<RM<=5000kg/单轴"},
    {"I212_Curb5000", 212, {.curbMass = 5000}, "4000kg<RM<=5000kg/单轴"},
    {"I212_Curb5001", 212, {.curbMass = 5001}, "5000kg<RM<=8000kg/单轴"},
    {"I212_Curb8000", 212, {.curbMass = 8000}, "5000kg<RM<=8000kg/单轴"},
    {"I212_Curb8001", 212, {.curbMass = 8001}, "8000kg<RM<=11000kg/单轴"},
    {"I212_Curb11000", 212, {.curbMass = 11000}, "8000kg<RM<=11000kg/单轴"},
    {"I212_Curb11001", 212, {.curbMass = 11001}, "RM>11000kg/单轴"},
    {"I212_Axle4x4", 212, {.axle = 10060004}, "1000kg<=RM<=4000kg/双轴"},
    {"I212_Axle10x4Front", 212, {.axle = 10060019}, "1000kg<=RM<=4000kg/双轴"},
    {"I212_Axle6x2", 212, {.axle = 10060006}, "1000kg<=RM<=4000kg/单轴"},
    // 216.
    {"I216_FirstClassRm2020BeforeJul2000",
     216,
     {.date = "2000-06-30", .curbMass = 1920},
     "标准2/1930<RM<=2150"},
    {"I216_ForeignPrefix",
     216,
     {.date = "2000-06-30", .curbMass = 1920, .isForeign = 1},
     "外籍车_标准2/1930<RM<=2150"},
    {"I216_FirstClassFromJul2000",
     216,
     {.date = "2000-07-01", .curbMass = 1920},
     "标准1/1930<RM<=2150"},
    {"I216_SecondClassFromOct2001",
     216,
     {.date = "2001-10-01", .totalMass = 3000, .lightClass = 2},
     "标准1/1930<RM<=2150"},
    {"I216_SecondClassBeforeOct2001",
     216,
     {.date = "2001-09-30", .totalMass = 3000, .lightClass = 2},
     "标准2/1930<RM<=2150"},
    {"I216_HeavyFromSep2004",
     216,
     {.date = "2004-09-01", .totalMass = 4000, .curbMass = 9000, .isHeavy = 1, .lightClass = 2},
     "标准1/RM>=2500"},
    {"I216_HeavyBeforeSep2004",
     216,
     {.date = "2004-08-31", .totalMass = 4000, .isHeavy = 1, .lightClass = 2},
     "标准2/RM>=2500"},
    {"I216_Rm1020", 216, {.curbMass = 920}, "标准1/RM<=1020"},
    {"I216_Rm1021", 216, {.curbMass = 921}, "标准1/1020<RM<=1250"},
    {"I216_Rm1250", 216, {.curbMass = 1150}, "标准1/1020<RM<=1250"},
    {"I216_Rm1251", 216, {.curbMass = 1151}, "标准1/1250<RM<=1470"},
    {"I216_Rm1470", 216, {.curbMass = 1370}, "标准1/1250<RM<=1470"},
    {"I216_Rm1471", 216, {.curbMass = 1371}, "标准1/1470<RM<=1700"},
    {"I216_Rm1700", 216, {.curbMass = 1600}, "标准1/1470<RM<=1700"},
    {"I216_Rm1701", 216, {.curbMass = 1601}, "标准1/1700<RM<=1930"},
    {"I216_Rm1930", 216, {.curbMass = 1830}, "标准1/1700<RM<=1930"},
    {"I216_Rm1931", 216, {.curbMass = 1831}, "标准1/1930<RM<=2150"},
    {"I216_Rm2150", 216, {.curbMass = 2050}, "标准1/1930<RM<=2150"},
    {"I216_Rm2151", 216, {.curbMass = 2051}, "标准1/2150<RM<=2500"},
    {"I216_Rm2500", 216, {.curbMass = 2400}, "标准1/2150<RM<=2500"},
    {"I216_Rm2501IsEmpty", 216, {.curbMass = 2401}, ""},
    {"I216_Rm2600ForeignIsEmpty", 216, {.curbMass = 2500, .isForeign = 1}, ""},
    // 276 and its class flag.
    {"I276_Mass3501", 276, {.date = "1990-01-01", .totalMass = 3501}, "第二类车RM>1700", 1},
    {"I276_SecondClassRm1250",
     276,
     {.date = "2001-10-01", .curbMass = 1150, .seats = 7},
     "第二类车RM<=1250",
     1},
    {"I276_SecondClassRm1251",
     276,
     {.totalMass = 2501, .curbMass = 1151},
     "第二类车1250<RM<=1700",
     1},
    {"I276_SecondClassRm1700",
     276,
     {.totalMass = 3500, .curbMass = 1600},
     "第二类车1250<RM<=1700",
     1},
    {"I276_SecondClassRm1701", 276, {.totalMass = 3500, .curbMass = 1601}, "第二类车RM>1700", 1},
    {"I276_SecondClassOldRm750",
     276,
     {.date = "2001-09-30", .curbMass = 650, .seats = 7},
     "RM<=750",
     0},
    {"I276_FirstClassFromJul2000", 276, {.date = "2000-07-01"}, "所有第一类车", 1},
    {"I276_FirstClassOldRm751", 276, {.date = "2000-06-30", .curbMass = 651}, "750<RM<=850", 0},
    {"I276_OldRm850", 276, {.date = "2000-06-30", .curbMass = 750}, "750<RM<=850", 0},
    {"I276_OldRm851", 276, {.date = "2000-06-30", .curbMass = 751}, "850<RM<=1020", 0},
    {"I276_OldRm1021", 276, {.date = "2000-06-30", .curbMass = 921}, "1020<RM<=1250", 0},
    {"I276_OldRm1251", 276, {.date = "2000-06-30", .curbMass = 1151}, "1250<RM<=1470", 0},
    {"I276_OldRm1471", 276, {.date = "2000-06-30", .curbMass = 1371}, "1470<RM<=1700", 0},
    {"I276_OldRm1701", 276, {.date = "2000-06-30", .curbMass = 1601}, "1700<RM<=1930", 0},
    {"I276_OldRm2150", 276, {.date = "2000-06-30", .curbMass = 2050}, "1930<RM<=2150", 0},
    {"I276_OldRm2151", 276, {.date = "2000-06-30", .curbMass = 2051}, "RM>2150", 0},
};
INSTANTIATE_TEST_SUITE_P(Masses, ConditionRule, ::testing::ValuesIn(kMassCases), CaseName);

// Which profile fields each rule reads: the class flags where the rule goes
// by them (216, 244), the masses and seats where it does not (207, 276). A
// goods kind of 2500 kg and 5 seats is a light vehicle of the second class.
const RuleCase kFieldChoiceCases[] = {
    {"I216_SecondClassByFlagNotByMasses",
     216,
     {.date = "2001-09-30", .kind = K(1), .lightClass = 2},
     "标准2/1930<RM<=2150"},
    {"I216_HeavyForeign",
     216,
     {.date = "2004-09-01", .totalMass = 4000, .isHeavy = 1, .lightClass = 2, .isForeign = 1},
     "外籍车_标准1/RM>=2500"},
    {"I244_SecondClassByFlagNotByMasses",
     244,
     {.date = "2006-06-30", .kind = K(1), .lightClass = 2},
     "条件2"},
    {"I276_FirstClassByMassesNotByFlag",
     276,
     {.date = "2000-07-01", .kind = K(1), .lightClass = 2},
     "所有第一类车",
     1},
    {"I207_InUseFirstClassByMassesNotByFlag",
     207,
     {.date = "2000-07-01", .kind = K(1), .lightClass = 2},
     "在用车/2000年7月1日起生产的第一类轻型汽车*"},
    {"I207_Kind8RuleOnlyForVehiclesInUse",
     207,
     {.date = "2005-06-30", .kind = K(7), .isNew = 1},
     "新注册车/2005年7月1日起新生产的第二类轻型汽车"},
    {"I207_Kind9FromMay2001EndSecondClass",
     207,
     {.date = "2001-05-31", .kind = K(8), .seats = 7, .lightClass = 2},
     "在用车/2000年7月1日起生产的第一类轻型汽车*"},
    {"I207_Kind8BeforeMay2001EndSecondClass",
     207,
     {.date = "2001-05-30", .kind = K(7), .seats = 7, .lightClass = 2},
     "在用车/2001年10月1日起生产的第二类轻型汽车"},
    // Pieces that some kinds leave out.
    {"I234_ThreeWheelCarFast", 234, {.kind = K(11)}, "三轮汽车/车速>=100km"},
    {"I235_Kind10HasNoSpeedText",
     235,
     {.kind = K(10), .speed = 50.0f},
     "在用车/摩托车两灯/其他机动车"},
    {"I236_TwoWheelHasNoSpeedText",
     236,
     {.kind = K(9), .speed = 50.0f},
     "在用车/轻便摩托车/一灯/其他机动车"},
    {"I237_ThreeWheelCarNewHasNoSpeedText",
     237,
     {.kind = K(11), .isNew = 1, .lamp = 10090003, .speed = 50.0f},
     "新注册车/三轮汽车/四灯/其他机动车"},
};
INSTANTIATE_TEST_SUITE_P(FieldChoice, ConditionRule, ::testing::ValuesIn(kFieldChoiceCases),
                         CaseName);

// Item 212: every drive type of parameter 1006 and its axle text.
TEST(ConditionRules, AxleTextOfEveryDriveType) {
    const struct {
        int axle;
        const char *text;
    } kRows[] = {
        {10060000, "单轴"}, {10060001, "单轴"}, {10060002, "单轴"}, {10060003, "单轴"},
        {10060004, "双轴"}, {10060005, "双轴"}, {10060006, "单轴"}, {10060007, "单轴"},
        {10060008, "双轴"}, {10060009, "双轴"}, {10060010, "双轴"}, {10060011, "单轴"},
        {10060012, "单轴"}, {10060013, "双轴"}, {10060014, "双轴"}, {10060015, "单轴"},
        {10060016, "双轴"}, {10060017, "双轴"}, {10060018, "双轴"}, {10060019, "双轴"},
        {10060020, "单轴"}, {0, "单轴"},
    };
    for (const auto &row : kRows) {
        VehicleProfile p = Apply({.curbMass = 999, .axle = row.axle});
        char out[kConditionBytes] = {};
        EXPECT_EQ(BuildCondition(p, 212, out, 0), 1);
        EXPECT_EQ(std::string(out), Gbk(std::string("RM<1000kg/") + row.text)) << row.axle;
    }
}

// Series mode: the series key is every item's condition.
void SetKey(VehicleProfile &p, const std::string &key) {
    std::snprintf(p.seriesKey, sizeof p.seriesKey, "%s", key.c_str());
}

TEST(SeriesMode, VehWithoutRegardToCaseGivesNoConditionForAnyItem) {
    for (const char *key : {"VEH", "veh", "vEh"}) {
        VehicleProfile p = IntakeDefaults();
        SetKey(p, key);
        for (const store::StandardItem &item : store::kStandardItems) {
            char out[kConditionBytes];
            std::memset(out, 'x', sizeof out);
            EXPECT_EQ(BuildCondition(p, item.itemId, out, 1), 0) << key << " " << item.itemId;
            EXPECT_STREQ(out, "");
        }
    }
}

TEST(SeriesMode, EveryItemGetsTheSeriesKeyItself) {
    VehicleProfile p = IntakeDefaults();
    const std::string key = Gbk("东风_EQ1090veh");
    SetKey(p, key);
    for (const store::StandardItem &item : store::kStandardItems) {
        char out[kConditionBytes] = {};
        int flag = -1;
        EXPECT_EQ(BuildCondition(p, item.itemId, out, 1, &flag), 1) << item.itemId;
        EXPECT_EQ(std::string(out), key) << item.itemId;
        EXPECT_EQ(flag, 0) << item.itemId;
    }
    char out[kConditionBytes] = {};
    EXPECT_EQ(BuildCondition(p, 999, out, 1), 1);
    EXPECT_EQ(std::string(out), key);
}

TEST(SeriesMode, KeysThatOnlyStartWithVehAreKeys) {
    for (const char *key : {"VEHX", "VEH ", "_VEH"}) {
        VehicleProfile p = IntakeDefaults();
        SetKey(p, key);
        char out[kConditionBytes] = {};
        EXPECT_EQ(BuildCondition(p, 216, out, 1), 1);
        EXPECT_STREQ(out, key);
    }
}

TEST(SeriesMode, OnlyModeOneReplacesTheRules) {
    VehicleProfile p = IntakeDefaults();
    SetKey(p, "BRAND_MODEL");
    for (int mode : {0, 2, -1}) {
        char out[kConditionBytes] = {};
        EXPECT_EQ(BuildCondition(p, 200, out, mode), 1);
        EXPECT_EQ(std::string(out), Gbk("40公里"));
        EXPECT_EQ(BuildCondition(p, 252, out, mode), 0);
        EXPECT_STREQ(out, "");
    }
}

TEST(ConditionRules, ItemsWithoutARuleHaveNoCondition) {
    VehicleProfile p = IntakeDefaults();
    for (int itemId : {252, 999, 0, -1, 206, 313}) {
        char out[kConditionBytes];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(BuildCondition(p, itemId, out, 0), 0) << itemId;
        EXPECT_STREQ(out, "");
    }
}

TEST(ConditionRules, EveryItemOtherThan252HasARuleForTheDefaultVehicle) {
    VehicleProfile p = IntakeDefaults();
    for (const store::StandardItem &item : store::kStandardItems) {
        char out[kConditionBytes] = {};
        EXPECT_EQ(BuildCondition(p, item.itemId, out, 0), item.itemId == 252 ? 0 : 1)
            << item.itemId;
    }
}

struct DateCase {
    const char *a;
    const char *b;
    int expected;
};
void PrintTo(const DateCase &c, std::ostream *os) {
    *os << '"' << c.a << "\" vs \"" << c.b << '"';
}
class CompareDatesTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(CompareDatesTest, ComparesYearMonthDay) {
    const DateCase &c = GetParam();
    EXPECT_EQ(engine::CompareDates(c.a, c.b), c.expected) << c.a << " vs " << c.b;
}

INSTANTIATE_TEST_SUITE_P(
    Dates, CompareDatesTest,
    ::testing::Values(
        DateCase{"2001-10-01", "2001-10-01", 1}, DateCase{"2001-09-30", "2001-10-01", -1},
        DateCase{"2001-10-02", "2001-10-01", 1}, DateCase{"2000-12-31", "2001-01-01", -1},
        DateCase{"2005-7-1", "2005-07-01", 1},     // same value
        DateCase{"2005/07/01", "2005-01-01", -1},  // year only: 20050000
        DateCase{"abcd-ef-gh", "0-0-0", 1},        // nothing read: 0
        DateCase{"abcd-ef-gh", "0001-01-01", -1}, DateCase{"", "", 1},
        DateCase{" 2001-10-01", "2001-10-01", 1},  // blanks before a number
        DateCase{"2001-13-01", "2002-01-01", -1},  // no calendar check
        DateCase{"2001-1x-01", "2001-01-01", -1},  // day not read: 20010100
        DateCase{"99999999999-01-01", "2001-01-01", 1}, DateCase{"-2001-01-01", "0001-01-01", -1}));

}  // namespace
}  // namespace rules_test
