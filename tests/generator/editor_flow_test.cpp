// The editor's decisions both front ends share: what the list shows, what
// "生成" does first, how vehicle numbers are read, and the texts composed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "generator/editor_flow.h"
#include "temp_dir.h"

namespace {

using generator::GenerateStep;
using generator::NextGenerateStep;
using testing_support::Gbk;
using testing_support::TempDir;

// Two devices; parameter 2231 is measured by both under item 10.
generator::Catalogue TwoDevices() {
    generator::Catalogue catalogue;
    catalogue.devices = {
        {1, Gbk("制动台"), {{10, Gbk("制动"), {{2231, Gbk("制动率"), 60, 0}, {2232, "b", 0, 0}}}}},
        {2, Gbk("灯光仪"), {{10, Gbk("制动"), {{2231, Gbk("制动率"), 60, 0}}}}},
    };
    catalogue.devices[0].items[0].params[1].hvalue = 1.5f;
    return catalogue;
}

TEST(EditorFlow, ListRowsFollowTheDeviceFilterAndLeaveMaskedParametersOut) {
    const generator::Catalogue catalogue = TwoDevices();
    generator::MaskTable mask;
    const auto ids = [](const std::vector<generator::ListRow> &rows) {
        std::vector<int32_t> got;
        for (const generator::ListRow &row : rows) got.push_back(row.paramid);
        return got;
    };
    EXPECT_EQ(ids(ListRows(catalogue, mask, "")), (std::vector<int32_t>{2231, 2232, 2231}));
    EXPECT_EQ(ids(ListRows(catalogue, mask, generator::AllDevicesText())),
              (std::vector<int32_t>{2231, 2232, 2231}));

    const std::vector<generator::ListRow> second = ListRows(catalogue, mask, Gbk("灯光仪"));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].at.device, 1);
    EXPECT_EQ(second[0].device, Gbk("灯光仪"));
    EXPECT_EQ(second[0].upper, "60.00");
    EXPECT_TRUE(ListRows(catalogue, mask, Gbk("没有")).empty());

    TempDir dir;
    ASSERT_EQ(mask.ReplaceMask({2231}, dir.File("CXmask.cfg")),
              generator::MaskChangeResult::kSaved);
    const std::vector<generator::ListRow> left = ListRows(catalogue, mask, "");
    ASSERT_EQ(ids(left), (std::vector<int32_t>{2232}));
    EXPECT_EQ(left[0].upper, "1.50");
    // The two places of 2231 are one row of the table; an edit shows at both.
    EXPECT_TRUE(SameParameter(catalogue, {0, 0, 0}, {1, 0, 0}));
    EXPECT_FALSE(SameParameter(catalogue, {0, 0, 0}, {0, 0, 1}));
    EXPECT_FALSE(SameParameter(catalogue, {0, 0, 0}, {2, 0, 0}));
}

TEST(EditorFlow, GenerateFirstNeedsNamesThenTheSeriesTheListHolds) {
    EXPECT_EQ(NextGenerateStep("", "S", "", ""), GenerateStep::kNoBrand);
    EXPECT_EQ(NextGenerateStep("B", "", "B", ""), GenerateStep::kNoSeries);
    EXPECT_EQ(NextGenerateStep("B2", "S", "B", "S"), GenerateStep::kLoadBrand);
    EXPECT_EQ(NextGenerateStep("B", "S2", "B", "S"), GenerateStep::kLoadSeries);
    EXPECT_EQ(NextGenerateStep("B", "S", "B", "S"), GenerateStep::kGenerate);
}

TEST(EditorFlow, VehicleNumbersAreRewrittenInAsciiOrTheFirstProblemIsNamed) {
    generator::VehicleConditions conditions;
    conditions[0] = Gbk("　１８００．５ ");  // full-width digits, point and space
    conditions[1] = " ";                     // optional, blank: left as typed
    conditions[2] = Gbk("５");
    conditions[4] = "1200";
    conditions[7] = Gbk("柴油");
    generator::ConditionsCheck check = generator::CheckConditionNumbers(conditions);
    EXPECT_TRUE(check) << check.problem;
    EXPECT_EQ(conditions[0], "1800.5");
    EXPECT_EQ(conditions[1], " ");
    EXPECT_EQ(conditions[2], "5");
    EXPECT_EQ(conditions[7], Gbk("柴油"));

    conditions[4] = "  ";
    check = generator::CheckConditionNumbers(conditions);
    EXPECT_FALSE(check);
    EXPECT_EQ(check.field, 4);
    EXPECT_EQ(check.problem, Gbk("整备质量不能为空!"));

    conditions[4] = "1200";
    conditions[3] = Gbk(" 1e999 ");
    check = generator::CheckConditionNumbers(conditions);
    EXPECT_EQ(check.field, 3);
    EXPECT_EQ(check.problem, Gbk("最高车速 \"1e999\" 不是数字!"));
}

TEST(EditorFlow, LimitTextsNameTheFieldAndEveryRoundedLimit) {
    generator::LimitInput refused;
    refused.error = generator::LimitInputError::kNotANumber;
    EXPECT_EQ(LimitProblem(generator::LimitField::kLower, Gbk("　abc "), refused.error),
              Gbk("下限 \"abc\" 不是数字!"));
    const generator::LimitInput upper = generator::ParseLimitInput("1.234");
    const generator::LimitInput lower = generator::ParseLimitInput("0.5");
    EXPECT_EQ(RoundingNote(" 1.234", upper, "0.5", lower),
              Gbk("限值只保留两位小数:\n上限 1.234 存为 1.23"));
    EXPECT_EQ(RoundingNote("0.5", lower, "0.5", lower), "");
}

TEST(EditorFlow, AParameterUnderTwoDevicesIsOneChoiceDecidedByItsFirstRow) {
    const std::vector<generator::MaskRow> rows = generator::MaskRows(TwoDevices());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].item, Gbk("制动"));
    const std::vector<generator::MaskChoice> choices =
        generator::UniqueChoices({{2231, true}, {2232, false}, {2231, false}});
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].paramid, 2231);
    EXPECT_TRUE(choices[0].masked);
    EXPECT_EQ(choices[1].paramid, 2232);
}

TEST(EditorFlow, MessagesCarryTheirCounts) {
    generator::StandardCounts counts;
    counts.national = 120;
    counts.series = 35;
    EXPECT_EQ(
        generator::ClearQuestion(counts),
        Gbk("标准将全部清除!清除后将无法恢复!\n(共 155 条: 国家标准 120 条, 车型标准 35 条)"));
    generator::GenerationResult result;
    result.inserted = 3;
    result.updated = 4;
    result.stamp.before = "a";
    result.stamp.after = "b";
    EXPECT_EQ(generator::GenerationReport("X_Y", result),
              Gbk("X_Y: 3 条已新增, 4 条已更新\n检测线在下次重新加载标准时启用新的限值 "
                  "(DBModifyTime a → b)"));
    EXPECT_EQ(generator::ErrorReport("what", "err"), "what\nerr");
}

}  // namespace
