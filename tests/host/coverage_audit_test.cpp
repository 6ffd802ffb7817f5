// The coverage audit's core on tables built here, with the engine's own
// intake and rules (through the real environment library) as the source of
// conditions.
#include "coverage_audit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "bridges/plinth_bridge.h"
#include "condition_sources.h"
#include "engine/condition_walk.h"
#include "platform/gbk.h"

namespace {

const void *Here() {
    return reinterpret_cast<const void *>(&Here);
}

// Every reachable condition with one limit: items below 240 on device 1,
// the others on device 2 (a device holds at most 30 items).
int DeviceOf(int itemId) {
    return itemId < 240 ? 1 : 2;
}
void AddRuleSpace(store::StandardTable &table, const std::vector<int32_t> &models) {
    for (const engine::ReachableCondition &r : engine::ReachableConditions(models))
        table.InsertRecord({DeviceOf(r.itemId), r.itemId, r.condition, 1, 1.0f, 0.0f});
}

class CoverageAudit : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        plinth_ = new bridges::PlinthBridge;
        ASSERT_EQ(plinth_->LoadPlinth(1, Here()), 1);
    }
    static void TearDownTestSuite() {
        delete plinth_;
        plinth_ = nullptr;
    }
    audit::AuditReport Run(const store::StandardTable &table,
                           const audit::StationCatalogue *catalogue = nullptr) {
        audit::EngineConditions rules(*plinth_);
        return audit::RunAudit(table, catalogue, rules);
    }
    static bridges::PlinthBridge *plinth_;
};
bridges::PlinthBridge *CoverageAudit::plinth_ = nullptr;

// As if no registration could describe a vehicle above 3500 kg.
class NoHeavyVehicles : public audit::ConditionSource {
  public:
    explicit NoHeavyVehicles(audit::ConditionSource &rules) : rules_(rules) {}
    bool ConditionOf(const audit::Registration &registration, int itemId,
                     std::string &condition) override {
        for (const audit::RegistrationValue &v : registration)
            if (v.paramId == 1088 && std::stoi(v.text) > 3500) return false;
        return rules_.ConditionOf(registration, itemId, condition);
    }

  private:
    audit::ConditionSource &rules_;
};

TEST_F(CoverageAudit, ConditionsNoRealVehicleReachesAreKeptApartFromTheGaps) {
    const store::StandardTable empty;
    const audit::AuditReport all = Run(empty);
    EXPECT_EQ(all.confirmedConditions, all.reachableConditions);
    EXPECT_EQ(all.missing.size(), all.reachableConditions);
    EXPECT_TRUE(all.impossibleOnly.empty());

    audit::EngineConditions rules(*plinth_);
    NoHeavyVehicles source(rules);
    const audit::AuditReport light = audit::RunAudit(empty, nullptr, source);
    ASSERT_FALSE(light.impossibleOnly.empty());
    EXPECT_EQ(light.missing.size() + light.impossibleOnly.size(), all.missing.size());
    // Kept apart, a gap only heavy vehicles reach does not fail the audit.
    store::StandardTable table;
    for (const audit::MissingCondition &m : light.missing)
        table.InsertRecord({DeviceOf(m.itemId), m.itemId, m.condition, 1, 1.0f, 0.0f});
    const audit::AuditReport rest = audit::RunAudit(table, nullptr, source);
    EXPECT_TRUE(rest.FullyCovered());
    EXPECT_EQ(rest.impossibleOnly.size(), light.impossibleOnly.size());
    for (const audit::MissingCondition &m : rest.impossibleOnly) EXPECT_FALSE(m.confirmed);
}

// The lookup takes the first text that matches ignoring case: an empty one
// there leaves the vehicle without limits, whatever a later variant holds.
TEST_F(CoverageAudit, ShadowingEmptyConditionsAndConditionsMissingUnderADevice) {
    const std::vector<int32_t> models = engine::DefaultSampleModelNumbers();
    store::StandardTable table;
    ASSERT_TRUE(table.AppendDevice(2));
    ASSERT_TRUE(table.AppendItem(0, 276));
    ASSERT_TRUE(table.AppendCondition(0, 0, "rm<=750"));  // empty and first
    AddRuleSpace(table, models);                          // "RM<=750" on device 2, after it
    const std::string sideslip = platform::Utf8ToGbkOrThrow("侧滑");
    table.InsertRecord({2, 231, sideslip, 2311, 5.0f, -5.0f});
    table.InsertRecord({2, 231, sideslip + "x", 2311, 5.0f, -5.0f});

    const audit::AuditReport r = Run(table);
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_EQ(r.missing[0].condition, "RM<=750");
    EXPECT_TRUE(r.missing[0].heldEmpty);
    ASSERT_EQ(r.caseVariants.size(), 1u);
    EXPECT_EQ(r.caseVariants[0].firstCondition, "rm<=750");
    ASSERT_EQ(r.emptyConditions.size(), 1u);

    // Device 2 tests item 231 too and lacks nothing of device 1's; device 1
    // lacks the text only device 2 has.
    ASSERT_EQ(r.deviceGaps.size(), 1u);
    EXPECT_EQ(r.deviceGaps[0].devid, 1);
    EXPECT_EQ(r.deviceGaps[0].heldBy, 2);
    EXPECT_EQ(r.deviceGaps[0].condition, sideslip + "x");
    ASSERT_EQ(r.unreachable.size(), 1u);
    EXPECT_EQ(r.unreachable[0].suggestion, sideslip);
}

// Items 208 and 209 print the model number: the audit asks for the model
// numbers the table names, not the sample ones.
TEST_F(CoverageAudit, ModelNumberItemsAreAuditedForTheModelsTheTableHolds) {
    store::StandardTable table;
    AddRuleSpace(table, {10690099});
    EXPECT_EQ(audit::TableModelNumbers(table), std::vector<int32_t>{10690099});
    EXPECT_TRUE(Run(table).FullyCovered());

    // One text of another model brings in every other text of that model.
    std::string other;
    for (const engine::ReachableCondition &r : engine::ReachableConditions({10690005}))
        if (r.itemId == 208 && other.empty()) other = r.condition;
    table.InsertRecord({1, 208, other, 1, 1.0f, 0.0f});
    const audit::AuditReport r = Run(table);
    ASSERT_FALSE(r.missing.empty());
    for (const audit::MissingCondition &m : r.missing) {
        EXPECT_TRUE(m.itemId == 208 || m.itemId == 209) << m.itemId;
        EXPECT_NE(m.condition.find("/10690005/"), std::string::npos) << m.condition;
    }
}

TEST(ConditionDistance, CountsDoubleByteCharactersOnceAndIgnoresAsciiCase) {
    // GBK: 籍 B C 5 A, 藉 BD E5.
    const std::string right = "\xBC\xAE\xB3\xB5_RM<=1020";
    const std::string typo = "\xBD\xE5\xB3\xB5_rm<=1020";
    EXPECT_EQ(audit::ConditionDistance(right, typo), 1u);
    EXPECT_EQ(audit::ConditionDistance(right, right.substr(4)), 2u);
    EXPECT_EQ(audit::ConditionDistance("", "ab"), 2u);
}

}  // namespace
