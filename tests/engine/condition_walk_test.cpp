// The condition walk against the real condition rules: known conditions are
// found, every result is a well-formed distinct key that its example profile
// really produces, and random profiles never produce a condition the walk
// missed.
#include "engine/condition_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "engine/condition_rules.h"
#include "store/item_set.h"
#include "temp_dir.h"

namespace {

using engine::ReachableCondition;
using engine::VehicleProfile;
using testing_support::Gbk;

std::set<std::pair<int, std::string>> Keys(const std::vector<ReachableCondition> &walk) {
    std::set<std::pair<int, std::string>> keys;
    for (const ReachableCondition &r : walk) keys.emplace(r.itemId, r.condition);
    return keys;
}

class ConditionWalk : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        walk_ = new std::vector<ReachableCondition>(engine::ReachableConditions());
    }
    static void TearDownTestSuite() {
        delete walk_;
        walk_ = nullptr;
    }
    static std::vector<ReachableCondition> *walk_;
};
std::vector<ReachableCondition> *ConditionWalk::walk_ = nullptr;

TEST_F(ConditionWalk, FindsTheConditionsOfTheSampleVehiclesAndRuleEdges) {
    const auto keys = Keys(*walk_);
    const std::pair<int, const char *> expected[] = {
        {223, "液压制动/乘用车,总质量<=3500kg的货车"},
        {235, "在用车/其他汽车/两灯/乘用车"},
        {235, "在用车/轻便摩托车/一灯/其他机动车"},
        {237, "新注册车/其他汽车/四灯/其他机动车"},
        {207, "新注册车/2005年7月1日起新生产的重型车"},
        {207, "在用车/2000年7月1日起生产的第一类轻型汽车*"},
        {208, "轿车/10690038//三档"},
        {208, "载货汽车/10690005/柴油/直接档"},
        {209, "轿车/10690003//直接档"},
        {212, "RM>11000kg/双轴"},
        {216, "外籍车_标准1/1250<RM<=1470"},
        {216, "标准2/RM>=2500"},
        {276, "RM<=750"},
        {276, "第二类车1250<RM<=1700"},
        {300, "2003年7月1日以前生产的在用车检查试验/两冲程"},
        {302, "新车/轻便摩托车/四灯制"},
        {306, "三轮摩托车或三轮汽车"},
        {312, "摩托声级<7"},
        {200, "40公里"},
    };
    for (const auto &[item, text] : expected)
        EXPECT_TRUE(keys.count({item, Gbk(text)}) == 1) << item << " " << text;
}

TEST_F(ConditionWalk, ResultsAreSortedDistinctNonEmptyAndFitTheTable) {
    ASSERT_FALSE(walk_->empty());
    for (size_t i = 0; i < walk_->size(); ++i) {
        const ReachableCondition &r = (*walk_)[i];
        EXPECT_FALSE(r.condition.empty()) << r.itemId;
        EXPECT_LE(r.condition.size(), 149u) << r.itemId;
        EXPECT_GE(store::ItemSlot(r.itemId), 0) << r.itemId;
        if (i > 0) {
            const ReachableCondition &prev = (*walk_)[i - 1];
            EXPECT_TRUE(std::make_pair(prev.itemId, prev.condition) <
                        std::make_pair(r.itemId, r.condition))
                << "not strictly sorted at " << i;
        }
    }
}

TEST_F(ConditionWalk, EveryExampleProducesItsCondition) {
    char text[engine::kConditionBytes];
    for (const ReachableCondition &r : *walk_) {
        ASSERT_EQ(engine::BuildCondition(r.example, r.itemId, text, 0), 1);
        EXPECT_EQ(std::string(text), r.condition) << r.itemId;
    }
}

TEST_F(ConditionWalk, CoversEveryRuledItemButLeavesOutEmptyConditionsAnd252) {
    std::set<int> items;
    for (const ReachableCondition &r : *walk_) items.insert(r.itemId);
    for (const store::StandardItem &item : store::kStandardItems)
        EXPECT_EQ(items.count(item.itemId), item.itemId == 252 ? 0u : 1u) << item.itemId;
    // Three-wheeled automobiles have an empty item 223 condition, motorcycles
    // an empty item 247 one, heavy RM above 2500 an empty item 216 one.
    for (const ReachableCondition &r : *walk_) EXPECT_NE(r.condition, "");
}

TEST(ConditionWalkModels, ModelNumbersComeFromTheCallerOnly) {
    const auto keys = Keys(engine::ReachableConditions({42, 42}));
    EXPECT_EQ(keys.count({208, Gbk("轿车/42//直接档")}), 1u);
    EXPECT_EQ(keys.count({209, Gbk("客车/42/柴油/直接档")}), 1u);
    EXPECT_EQ(keys.count({208, Gbk("轿车/10690038//直接档")}), 0u);
    // Sedans (2 gears) and five bodies with two fuels: 12 texts per model.
    EXPECT_EQ(std::count_if(keys.begin(), keys.end(), [](auto &k) { return k.first == 208; }), 12);

    const auto none = Keys(engine::ReachableConditions({}));
    EXPECT_EQ(std::count_if(none.begin(), none.end(), [](auto &k) { return k.first == 209; }), 0);
    EXPECT_EQ(none.count({223, Gbk("液压制动/乘用车,总质量<=3500kg的货车")}), 1u);
}

// Random profiles, each field drawn from a range that spans its thresholds
// (and beyond), through the real rules: every non-empty condition must be one
// the walk found.
TEST_F(ConditionWalk, RandomProfilesProduceNoConditionOutsideTheWalk) {
    const auto keys = Keys(*walk_);
    const std::vector<int32_t> models = engine::DefaultSampleModelNumbers();
    std::mt19937 rng(20261208);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto real = [&rng](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    // Float fields also take their threshold values exactly.
    auto speedOrEdge = [&](float lo, float hi, std::initializer_list<float> edges) {
        if (pick(0, 3) == 0) return *(edges.begin() + pick(0, static_cast<int>(edges.size()) - 1));
        return real(lo, hi);
    };

    char text[engine::kConditionBytes];
    int produced = 0;
    for (int n = 0; n < 20000; ++n) {
        VehicleProfile p;
        std::snprintf(p.productionDate, sizeof p.productionDate, "%04d-%02d-%02d", pick(1990, 2012),
                      pick(1, 12), pick(1, 31));
        p.totalMass = pick(0, 3) == 0 ? pick(2499, 3502) : pick(1, 60000);
        p.curbMass = pick(0, 1) == 0 ? pick(300, 2600) : pick(1, 14000);
        p.seatCount = pick(1, 60);
        p.isPetrol = pick(0, 1);
        p.intakeCode = 10480000 + pick(0, 4);
        p.vehicleKind = pick(0, 9) == 0 ? 10820040 + pick(0, 70) : 10820000 + pick(0, 14);
        p.maxSpeed = speedOrEdge(1.0f, 250.0f, {50.0f, 70.0f, 100.0f});
        p.brakeCode = 10370000 + pick(0, 5);
        p.axleCode = 10060000 + pick(0, 20);
        p.modelNumber = models[pick(0, static_cast<int>(models.size()) - 1)];
        p.gearCode = 10700000 + pick(0, 5);
        p.lampCode = 10090000 + pick(0, 5);
        p.powerKw = speedOrEdge(0.5f, 400.0f, {4.0f, 7.0f});
        p.isNewRegistration = pick(0, 1);
        p.displacement = speedOrEdge(0.01f, 2.0f, {0.05f});
        p.strokeCount = pick(1, 4);
        p.lightClass = pick(0, 2);
        p.isHeavy = pick(0, 1);
        p.highRatio = pick(0, 1);
        p.notPassengerKind = pick(0, 1);
        p.isForeign = pick(0, 1);
        // Moped corners: every moped value at or below its bound.
        if (pick(0, 4) == 0) {
            p.curbMass = pick(1, 401);
            p.maxSpeed = real(1.0f, 50.5f);
            p.powerKw = real(0.5f, 4.5f);
            p.displacement = real(0.01f, 0.06f);
        }
        for (const store::StandardItem &item : store::kStandardItems) {
            if (engine::BuildCondition(p, item.itemId, text, 0) != 1 || text[0] == '\0') continue;
            ++produced;
            ASSERT_EQ(keys.count({item.itemId, text}), 1u)
                << "item " << item.itemId << " date " << p.productionDate << " kind "
                << p.vehicleKind << ": condition not in the walk";
        }
    }
    EXPECT_GT(produced, 20000 * 30);
}

}  // namespace
