// The vehicle profile intake against the real environment library: info
// buffers written with its WriteStdHead_Info, codes resolved through a code
// dictionary of this test ($PLINTH_CODES), so that names of any length can
// be tried.
#include "engine/profile_intake.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/gbk.h"
#include "temp_dir.h"

namespace {

using engine::VehicleProfile;
using testing_support::Gbk;

const void *Here() {
    return reinterpret_cast<const void *>(&Here);
}

const std::string kLongBrand =
    "A东风汽车集团有限公司东风汽车集团有限公司东风汽车集团有限公司";  // 61 bytes
const std::string kLongModel =
    "重型载货汽车底盘重型载货汽车底盘重型载货汽车底盘重型载货汽车底盘重型载货汽车底盘";  // 80 bytes

std::string Dictionary() {
    return "1104\t厂牌\n"
           "11040004\t东风\n"
           "11040099\t" +
           kLongBrand +
           "\n"
           "1069\t车型\n"
           "10690038\tFV7160FG\n"
           "10690099\t" +
           kLongModel +
           "\n"
           "1013\t车系\n"
           "10130001\t捷达\n"
           "1082\t车辆类型\n"
           "10820001\t轿车\n"
           "10820008\t小型客车\n"
           "10820010\t两轮摩托车\n"
           "10820040\t多用途乘用车\n"
           "10820100\t微型轿车\t10820001\n"
           "1164\t外籍车辆\n"
           "11640001\t是\n"
           "11640002\t否\n"
           "1011\t总质量与整备质量比\n"
           "10110001\t比值大于1.2\n"
           "10110003\t比值小于1.2\n"
           "1005\t燃料种类\n"
           "10050001\t汽油\n"
           "10050002\t柴油\n"
           "10050102\t生物柴油\t10050002\n"
           "1008\t登记状态\n"
           "10080001\t新注册车\n"
           "10080002\t在用车\n"
           "10080100\t外地转入车\t10080002\n"
           "1037\t制动方式\n"
           "10370001\t液压制动\n"
           "10370002\t气压制动\n"
           "10370100\t真空助力液压制动\t10370001\n"
           "1009\t前照灯制式\n"
           "10090003\t四灯制\n"
           "1048\t进气方式\n"
           "10480001\t涡轮增压\n"
           "10480002\t自然进气\n"
           "10480100\t机械增压\t10480001\n"
           "1070\t档位\n"
           "10700002\t三档\n"
           "1006\t驱动形式\n"
           "10060003\t4x2\n"
           "10060004\t4x4\n"
           "10060100\t4x4全时\t10060004\n";
}

using Params = std::vector<std::pair<int, std::string>>;  // texts in UTF-8

class ProfileIntake : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<testing_support::TempDir>();
        testing_support::WriteBytes(dir_->File("codes.tsv"), Dictionary());
        ::setenv("PLINTH_CODES", dir_->File("codes.tsv").c_str(), 1);
        plinth_ = std::make_unique<bridges::PlinthBridge>();
        loadResult_ = plinth_->LoadPlinth(1, Here());
    }
    static void TearDownTestSuite() {
        plinth_.reset();
        ::unsetenv("PLINTH_CODES");
        dir_.reset();
    }
    void SetUp() override {
        ASSERT_EQ(loadResult_, 1) << "libplinth.so must load from " << STATION_TEST_LIB_DIR;
    }

    // An information buffer holding `params`.
    static std::vector<char> Info(const Params &params) {
        std::vector<char> buffer(PLINTH_BUFFER_BYTES, 0);
        for (const auto &[paramId, text] : params)
            EXPECT_EQ(plinth_->WriteStdHead_Info(buffer.data(), paramId, Gbk(text).c_str()), 1)
                << paramId;
        return buffer;
    }
    int Take(const Params &params) {
        std::vector<char> buffer = Info(params);
        return engine::TakeVehicleInfo(*plinth_, buffer.data(), profile_);
    }
    std::string SeriesKeyUtf8() const { return platform::GbkToUtf8Lossy(profile_.seriesKey); }

    static inline std::unique_ptr<testing_support::TempDir> dir_;
    static inline std::unique_ptr<bridges::PlinthBridge> plinth_;
    static inline int loadResult_ = 0;
    VehicleProfile profile_;
};

bool SameProfile(const VehicleProfile &a, const VehicleProfile &b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(ProfileIntake, RejectedBuffersLeaveTheProfileUnchanged) {
    profile_.totalMass = 7777;
    const VehicleProfile before = profile_;
    EXPECT_EQ(engine::TakeVehicleInfo(*plinth_, nullptr, profile_), 0);
    std::vector<char> zeros(PLINTH_BUFFER_BYTES, 0);
    EXPECT_EQ(engine::TakeVehicleInfo(*plinth_, zeros.data(), profile_), 0);
    StdHead head{};
    head.magic[0] = 0x55;
    head.magic[1] = 0xAA;
    head.version[0] = head.version[1] = head.version[2] = 1;
    head.kind = PLINTH_KIND_INFO;
    ASSERT_EQ(plinth_->WriteStdHead(zeros.data(), &head), 1);
    EXPECT_EQ(engine::TakeVehicleInfo(*plinth_, zeros.data(), profile_), 0);
    bridges::PlinthBridge absent;
    std::vector<char> info = Info({{1088, "3000"}});
    EXPECT_EQ(engine::TakeVehicleInfo(absent, info.data(), profile_), 0);
    EXPECT_TRUE(SameProfile(profile_, before));
}

// Every field that has a default for an absent parameter.
void ExpectIntakeDefaults(const VehicleProfile &p) {
    EXPECT_STREQ(p.productionDate, "2011-01-01");
    EXPECT_STREQ(p.seriesKey, "VEH");
    EXPECT_EQ(p.totalMass, 2500);
    EXPECT_EQ(p.curbMass, 1875);
    EXPECT_EQ(p.seatCount, 5);
    EXPECT_EQ(p.intakeCode, 10480001);
    EXPECT_EQ(p.vehicleKind, 10820001);
    EXPECT_EQ(p.maxSpeed, 120.0f);
    EXPECT_EQ(p.brakeCode, 10370001);
    EXPECT_EQ(p.axleCode, 10060003);
    EXPECT_EQ(p.lampCode, 10090002);
    EXPECT_EQ(p.powerKw, 20.0f);
    EXPECT_EQ(p.isNewRegistration, 0);
    EXPECT_EQ(p.displacement, 0.05f);
    EXPECT_EQ(p.strokeCount, 2);
    EXPECT_EQ(p.lightClass, 1);
    EXPECT_EQ(p.isHeavy, 0);
    EXPECT_EQ(p.highRatio, 1);  // 2500 / 1875
    EXPECT_EQ(p.notPassengerKind, 0);
    EXPECT_EQ(p.isForeign, 0);
}

TEST_F(ProfileIntake, AbsentParametersGiveTheDefaults) {
    ASSERT_EQ(Take({{1001, "unused"}}), 1);
    ExpectIntakeDefaults(profile_);
    // No defaults: the load values stay for a first vehicle.
    EXPECT_EQ(profile_.modelNumber, 10690038);
    EXPECT_EQ(profile_.isPetrol, 1);
    EXPECT_EQ(profile_.gearCode, 10700001);
}

TEST_F(ProfileIntake, AbsentParametersDoNotKeepThePreviousVehicle) {
    ASSERT_EQ(
        Take({{1082, "10820010"}, {1088, "4000"},       {1164, "11640001"}, {1089, "9"},
              {1083, "1000"},     {1014, "2004-09-01"}, {1104, "东风"},     {1069, "EQ1090"},
              {1011, "1.1"},      {1037, "10370002"},   {1009, "10090003"}, {1066, "45"},
              {1084, "3"},        {1008, "10080001"},   {1047, "0.04"},     {1045, "4"},
              {1048, "10480002"}, {1005, "10050002"},   {1070, "10700002"}, {1006, "10060004"}}),
        1);
    EXPECT_EQ(profile_.highRatio, 0);
    EXPECT_EQ(profile_.notPassengerKind, 1);
    EXPECT_EQ(profile_.modelNumber, 0);  // the leading number of "EQ1090"
    ASSERT_EQ(Take({{1001, "unused"}}), 1);
    ExpectIntakeDefaults(profile_);
    EXPECT_EQ(profile_.modelNumber, 0);
    EXPECT_EQ(profile_.isPetrol, 0);
    EXPECT_EQ(profile_.gearCode, 10700002);
}

TEST_F(ProfileIntake, CarriedOverFieldsKeepThePreviousVehicleAndAxleResets) {
    ASSERT_EQ(
        Take({{1069, "10690099"}, {1005, "10050002"}, {1070, "10700002"}, {1006, "10060100"}}), 1);
    EXPECT_EQ(profile_.modelNumber, 10690099);
    EXPECT_EQ(profile_.isPetrol, 0);
    EXPECT_EQ(profile_.gearCode, 10700002);
    EXPECT_EQ(profile_.axleCode, 10060004);  // main code of the sub-code
    ASSERT_EQ(Take({{1088, "1800"}}), 1);
    EXPECT_EQ(profile_.modelNumber, 10690099);
    EXPECT_EQ(profile_.isPetrol, 0);
    EXPECT_EQ(profile_.gearCode, 10700002);
    EXPECT_EQ(profile_.axleCode, 10060003);
    EXPECT_STREQ(profile_.seriesKey, "VEH");
}

// One information buffer and what it must give.
struct IntakeCase {
    const char *name;
    Params params;
    void (*check)(const VehicleProfile &);
};
void PrintTo(const IntakeCase &c, std::ostream *os) {
    *os << c.name;
}

class IntakeValue : public ProfileIntake, public ::testing::WithParamInterface<IntakeCase> {};

TEST_P(IntakeValue, TakesTheParameter) {
    ASSERT_EQ(Take(GetParam().params), 1);
    GetParam().check(profile_);
}

const std::vector<IntakeCase> kValueCases = {
    {"Seats0", {{1089, "0"}}, [](const VehicleProfile &p) { EXPECT_EQ(p.seatCount, 5); }},
    {"Seats151", {{1089, "151"}}, [](const VehicleProfile &p) { EXPECT_EQ(p.seatCount, 5); }},
    {"Seats150",
     {{1089, "150"}},
     [](const VehicleProfile &p) {
         EXPECT_EQ(p.seatCount, 150);
         EXPECT_EQ(p.lightClass, 2);
     }},
    {"Seats7LeadingNumber",
     {{1089, " 7 seats"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.seatCount, 7); }},
    {"SeatsNoNumber", {{1089, "abc"}}, [](const VehicleProfile &p) { EXPECT_EQ(p.seatCount, 5); }},
    {"TotalMass999999",
     {{1088, "999999"}},
     [](const VehicleProfile &p) {
         EXPECT_EQ(p.totalMass, 999999);
         EXPECT_EQ(p.isHeavy, 1);
     }},
    {"TotalMass1000000",
     {{1088, "1000000"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.totalMass, 2500); }},
    {"TotalMass0", {{1088, "0"}}, [](const VehicleProfile &p) { EXPECT_EQ(p.totalMass, 2500); }},
    {"TotalMass3500",
     {{1088, "3500"}},
     [](const VehicleProfile &p) {
         EXPECT_EQ(p.isHeavy, 0);
         EXPECT_EQ(p.lightClass, 2);
     }},
    {"TotalMass2501",
     {{1088, "2501"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.lightClass, 2); }},
    {"CurbMass1000000",
     {{1083, "1000000"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.curbMass, 1875); }},
    {"CurbMass0", {{1083, "0"}}, [](const VehicleProfile &p) { EXPECT_EQ(p.curbMass, 1875); }},
    {"Strokes0", {{1045, "0"}}, [](const VehicleProfile &p) { EXPECT_EQ(p.strokeCount, 2); }},
    {"Strokes4", {{1045, "4"}}, [](const VehicleProfile &p) { EXPECT_EQ(p.strokeCount, 4); }},
    {"DateShortRejected",
     {{1014, "2005-7-1"}},
     [](const VehicleProfile &p) { EXPECT_STREQ(p.productionDate, "2011-01-01"); }},
    {"DateSlashesRejected",
     {{1014, "2005/07/01"}},
     [](const VehicleProfile &p) { EXPECT_STREQ(p.productionDate, "2011-01-01"); }},
    {"DateTooLongRejected",
     {{1014, "2004-09-01 "}},
     [](const VehicleProfile &p) { EXPECT_STREQ(p.productionDate, "2011-01-01"); }},
    {"DateLettersAccepted",
     {{1014, "abcd-ef-gh"}},
     [](const VehicleProfile &p) { EXPECT_STREQ(p.productionDate, "abcd-ef-gh"); }},
    {"DateTaken",
     {{1014, "2004-09-01"}},
     [](const VehicleProfile &p) { EXPECT_STREQ(p.productionDate, "2004-09-01"); }},
    // Ratio: derived from the masses, overridden by param 1011.
    {"Ratio1200Over1000",
     {{1088, "1200"}, {1083, "1000"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.highRatio, 1); }},
    {"Ratio1199Over1000",
     {{1088, "1199"}, {1083, "1000"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.highRatio, 0); }},
    {"Param1011Text1_2",
     {{1088, "1000"}, {1083, "1000"}, {1011, "1.2"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.highRatio, 1); }},
    {"Param1011Text1_19",
     {{1011, "1.19"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.highRatio, 0); }},
    {"Param1011Ratio1000",
     {{1088, "1000"}, {1083, "1000"}, {1011, "1000"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.highRatio, 1); }},
    {"Param1011NoNumber",
     {{1011, "abc"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.highRatio, 0); }},
    {"Param1011CodeBelow",
     {{1011, "10110003"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.highRatio, 0); }},
    {"Param1011OtherCode",
     {{1088, "1000"}, {1083, "1000"}, {1011, "10110001"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.highRatio, 1); }},
    {"Param1011Above1000",
     {{1088, "1000"}, {1083, "1000"}, {1011, "1001"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.highRatio, 1); }},
    // Foreign vehicles.
    {"ForeignYesText", {{1164, "是"}}, [](const VehicleProfile &p) { EXPECT_EQ(p.isForeign, 1); }},
    {"ForeignYesCode",
     {{1164, "11640001"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.isForeign, 1); }},
    {"ForeignNoCode",
     {{1164, "11640002"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.isForeign, 0); }},
    {"ForeignOtherNumber",
     {{1164, "1"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.isForeign, 0); }},
    {"ForeignNoText", {{1164, "否"}}, [](const VehicleProfile &p) { EXPECT_EQ(p.isForeign, 0); }},
    {"ForeignYesWithBlank",
     {{1164, "是 "}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.isForeign, 0); }},
    // Decimals.
    {"DisplacementZero",
     {{1047, "0"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.displacement, 0.05f); }},
    {"DisplacementNegative",
     {{1047, "-1"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.displacement, 0.05f); }},
    {"Displacement0_04",
     {{1047, "0.04"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.displacement, 0.04f); }},
    {"SpeedAndPower",
     {{1066, "45.5"}, {1084, "6.5kW"}},
     [](const VehicleProfile &p) {
         EXPECT_EQ(p.maxSpeed, 45.5f);
         EXPECT_EQ(p.powerKw, 6.5f);
     }},
    // Codes.
    {"NewRegistration",
     {{1008, "10080001"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.isNewRegistration, 1); }},
    {"NewRegistrationSubCodeOfInUse",
     {{1008, "10080100"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.isNewRegistration, 0); }},
    {"DieselCode", {{1005, "10050002"}}, [](const VehicleProfile &p) { EXPECT_EQ(p.isPetrol, 0); }},
    {"DieselSubCodeCountsAsPetrol",
     {{1005, "10050102"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.isPetrol, 1); }},
    {"BrakeSubCode",
     {{1037, "10370100"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.brakeCode, 10370001); }},
    {"AirBrake",
     {{1037, "10370002"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.brakeCode, 10370002); }},
    {"FourLamps",
     {{1009, "10090003"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.lampCode, 10090003); }},
    {"IntakeSubCode",
     {{1048, "10480100"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.intakeCode, 10480001); }},
    {"NaturalIntake",
     {{1048, "10480002"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.intakeCode, 10480002); }},
    {"Axle4x4",
     {{1006, "10060004"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.axleCode, 10060004); }},
    {"Gear",
     {{1070, "10700002"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.gearCode, 10700002); }},
    // Kinds: the first reading decides the passenger flag, the second the kind.
    {"KindMotorcycle",
     {{1082, "10820010"}},
     [](const VehicleProfile &p) {
         EXPECT_EQ(p.vehicleKind, 10820010);
         EXPECT_EQ(p.notPassengerKind, 1);
         EXPECT_EQ(p.lightClass, 2);
     }},
    {"KindPassengerSubCode",
     {{1082, "10820100"}},
     [](const VehicleProfile &p) {
         EXPECT_EQ(p.vehicleKind, 10820001);
         EXPECT_EQ(p.notPassengerKind, 0);
     }},
    {"KindUnlistedPassenger",
     {{1082, "10820040"}},
     [](const VehicleProfile &p) {
         EXPECT_EQ(p.vehicleKind, 10820040);
         EXPECT_EQ(p.notPassengerKind, 0);
         EXPECT_EQ(p.lightClass, 1);
     }},
    {"KindPassengerByName",
     {{1082, "小型客车"}},
     [](const VehicleProfile &p) {
         EXPECT_EQ(p.notPassengerKind, 0);
         EXPECT_EQ(p.vehicleKind, 0);  // the kind itself is read as a number only
     }},
    {"KindOtherByName",
     {{1082, "两轮摩托车"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.notPassengerKind, 1); }},
    {"KindUnknownName",
     {{1082, "xyz"}},
     [](const VehicleProfile &p) { EXPECT_EQ(p.notPassengerKind, 1); }},
};
INSTANTIATE_TEST_SUITE_P(Values, IntakeValue, ::testing::ValuesIn(kValueCases),
                         [](const ::testing::TestParamInfo<IntakeCase> &info) {
                             return std::string(info.param.name);
                         });

// Series keys: brand and model, trimmed, codes replaced by their names.
struct SeriesCase {
    const char *name;
    Params params;
    std::string expected;  // UTF-8
};
void PrintTo(const SeriesCase &c, std::ostream *os) {
    *os << c.name;
}

class SeriesKey : public ProfileIntake, public ::testing::WithParamInterface<SeriesCase> {};

TEST_P(SeriesKey, JoinsBrandAndModel) {
    ASSERT_EQ(Take(GetParam().params), 1);
    EXPECT_EQ(std::string(profile_.seriesKey), Gbk(GetParam().expected)) << SeriesKeyUtf8();
}

const std::vector<SeriesCase> kSeriesCases = {
    {"NoBrandNoModel", {{1088, "2000"}}, "VEH"},
    {"BlankBrandOnly", {{1104, "   "}}, "VEH"},
    {"ModelOnly", {{1069, "EQ1090"}}, "_EQ1090"},
    {"BrandOnly", {{1104, "东风"}}, "东风_"},
    {"Trimmed", {{1104, "  东风 "}, {1069, " EQ1090  "}}, "东风_EQ1090"},
    {"Codes", {{1104, "11040004"}, {1069, "10690038"}}, "东风_FV7160FG"},
    {"ModelAsSeriesCode", {{1069, "10130001"}}, "_捷达"},
    {"UnknownBrandCode", {{1104, "11049999"}}, "11049999_"},
    {"UnknownModelCode", {{1069, "10699999"}}, "_10699999"},
    {"BrandIsNotLookedUpAsASeries", {{1104, "10130001"}}, "10130001_"},
    {"ModelIsNotLookedUpAsABrand", {{1069, "11040004"}}, "_11040004"},
    {"BrandNameAndSeriesCode", {{1104, " 东风"}, {1069, "10130001 "}}, "东风_捷达"},
    {"CutAt99OnACharacterBoundary",
     {{1104, "11040099"}, {1069, "10690099"}},
     kLongBrand + "_" + "重型载货汽车底盘重型载货汽车底盘重型"},
};
INSTANTIATE_TEST_SUITE_P(Keys, SeriesKey, ::testing::ValuesIn(kSeriesCases),
                         [](const ::testing::TestParamInfo<SeriesCase> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(ProfileIntake, LongSeriesKeyIsCutBelow100Bytes) {
    ASSERT_EQ(Take({{1104, "11040099"}, {1069, "10690099"}}), 1);
    EXPECT_EQ(std::strlen(profile_.seriesKey), 98u);  // 99 would split a character
    EXPECT_EQ(profile_.modelNumber, 10690099);
}

TEST_F(ProfileIntake, ResolveCodeTakesCodesAndNames) {
    EXPECT_EQ(engine::ResolveCode(*plinth_, "10820100", 1082), 10820001);
    EXPECT_EQ(engine::ResolveCode(*plinth_, Gbk("小型客车").c_str(), 1082), 10820008);
    EXPECT_EQ(engine::ResolveCode(*plinth_, Gbk("小型客车").c_str(), 1005), 0);
    EXPECT_EQ(engine::ResolveCode(*plinth_, "xyz", 1082), 0);
}

// The class flags, from profile values alone.
struct FlagCase {
    int totalMass, curbMass, seatCount, notPassengerKind;
    int isHeavy, lightClass, highRatio, curbMassAfter;
};
void PrintTo(const FlagCase &c, std::ostream *os) {
    *os << c.totalMass << "/" << c.curbMass << " kg, " << c.seatCount << " seats, kind flag "
        << c.notPassengerKind;
}

class ClassFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(ClassFlags, FromMassesSeatsAndKind) {
    const FlagCase &c = GetParam();
    VehicleProfile p;
    p.totalMass = c.totalMass;
    p.curbMass = c.curbMass;
    p.seatCount = c.seatCount;
    p.notPassengerKind = c.notPassengerKind;
    engine::DeriveClassFlags(p);
    EXPECT_EQ(p.isHeavy, c.isHeavy);
    EXPECT_EQ(p.lightClass, c.lightClass);
    EXPECT_EQ(p.highRatio, c.highRatio);
    EXPECT_EQ(p.curbMass, c.curbMassAfter);
}

INSTANTIATE_TEST_SUITE_P(Flags, ClassFlags,
                         ::testing::Values(FlagCase{2500, 1875, 5, 0, 0, 1, 1, 1875},
                                           FlagCase{3500, 3000, 5, 0, 0, 2, 0, 3000},
                                           FlagCase{3501, 1000, 5, 0, 1, 2, 1, 1000},
                                           FlagCase{2500, 2500, 6, 0, 0, 1, 0, 2500},
                                           FlagCase{2500, 2500, 7, 0, 0, 2, 0, 2500},
                                           FlagCase{2000, 1000, 5, 1, 0, 2, 1, 1000},
                                           FlagCase{1200, 1000, 5, 0, 0, 1, 1, 1000},
                                           FlagCase{1199, 1000, 5, 0, 0, 1, 0, 1000},
                                           FlagCase{2, 0, 5, 0, 0, 1, 1, 1}));

}  // namespace
