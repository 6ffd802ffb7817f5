// The audit's three renderings of one report: the JSON keeps the fields in
// the order stdhost has always printed them, and the text and the page show
// the findings the JSON holds.
#include <gtest/gtest.h>

#include "audit_report.h"

namespace {

using stdhost::AuditReport;

AuditReport OneOfEach() {
    AuditReport r;
    r.source.name = "station_limits";
    r.source.confirmedBy = "the plug-in";
    r.summary.unreachable = 2;
    r.summary.catalogueChecked = true;
    r.items.push_back({216, "外观", 3, 2, 1, 0, 4, 2});
    r.unreachable.push_back({216, 1, "rm<1020", 5, std::nullopt, 0});
    r.unreachable.push_back({216, 2, "RM<=1020", 6, "RM<=1250", 1});
    r.orphanSeries.push_back({231, "大众_不存在", "大众"});
    r.seriesKeys.cut.push_back({"长_x", 60, 1, 49});
    return r;
}

TEST(AuditReport, JsonKeepsTheFieldOrderAndNullsWhatIsNotThere) {
    const stdhost::Json json = OneOfEach();
    const std::string text = json.dump();
    EXPECT_EQ(text.rfind(R"({"source":{"table":"database","name":"station_limits",)"
                         R"("seriesMode":false,"confirmedBy":"the plug-in"},"covered":false,)"
                         R"("summary":{"items":0,)",
                         0),
              0u)
        << text;
    std::vector<std::string> keys;
    for (const auto &entry : json.items()) keys.push_back(entry.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"source", "covered", "summary", "items", "missing",
                                              "impossibleOnly", "unreachable", "orphanSeries",
                                              "deviceGaps", "caseVariants", "emptyConditions",
                                              "missingParams", "unknownItems", "seriesKeys"}));
    EXPECT_TRUE(json["unreachable"][0]["suggestion"].is_null());
    EXPECT_TRUE(json["unreachable"][0]["distance"].is_null());
    EXPECT_EQ(json["unreachable"][1]["distance"], 1);
    EXPECT_EQ(json["orphanSeries"][0]["brand"], "大众");
    EXPECT_EQ(json["items"][0]["missing"], 1);
    EXPECT_EQ(json["seriesKeys"]["cut"][0]["intakeBytes"], 49);
}

TEST(AuditReport, TextAndPageShowTheFindingsOfTheJson) {
    const AuditReport r = OneOfEach();
    const std::string text = stdhost::AuditText(r), page = stdhost::AuditHtml(r);
    EXPECT_NE(text.find("rows no vehicle reaches                              2 conditions"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  item 216 device 1 \"rm<1020\" (5 limits): the rules give this item "
                        "no condition\n  item 216 device 2 \"RM<=1020\" (6 limits): did you mean "
                        "\"RM<=1250\"? (1 character off)\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"大众_不存在\": brand 大众 has no such series"), std::string::npos);
    EXPECT_NE(text.find("its brand (60 bytes) or series (1 bytes)"), std::string::npos);
    // The page escapes what the table holds.
    EXPECT_NE(page.find("&ldquo;rm&lt;1020&rdquo; (5 limits)"), std::string::npos);
    EXPECT_EQ(page.find("rm<1020"), std::string::npos);
    EXPECT_NE(page.find("did you mean &ldquo;<b>RM&lt;=1250</b>&rdquo;? (1 character off)"),
              std::string::npos);
}

}  // namespace
