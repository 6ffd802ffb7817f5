#pragma once
// The coverage audit as stdhost reports it: the core's findings with every
// name resolved (texts in UTF-8), and the three ways to print them. The JSON
// has the fields of these structs in the order they are declared.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "json_output.h"

namespace stdhost {

// Where the audited table came from and how its conditions were confirmed.
struct AuditSource {
    bool fromFile = false;  // a standard file, else tb_id_standard
    std::string name;       // the file, or the data source
    std::string damage;     // what is wrong with the file, "" when nothing
    // Why the catalogue and the vehicle list were not checked (the database
    // error, possibly ""); unset when they were.
    std::optional<std::string> catalogueUnread;
    bool seriesMode = false;
    std::string confirmedBy;
};

struct AuditSummary {
    std::size_t items = 0;  // items with a condition a real vehicle reaches
    std::size_t itemsFullyCovered = 0;
    std::size_t reachableConditions = 0;
    std::size_t confirmedConditions = 0;
    std::size_t vehiclesTried = 0;
    std::size_t missing = 0;
    std::size_t impossibleOnly = 0;
    std::size_t unreachable = 0;
    std::size_t seriesStandards = 0;
    std::size_t orphanSeries = 0;
    std::size_t deviceGaps = 0;
    std::size_t caseVariants = 0;
    std::size_t emptyConditions = 0;
    std::size_t missingParams = 0;
    std::size_t unknownItems = 0;
    bool catalogueChecked = false;
    std::size_t sharedSeriesKeys = 0;
    std::size_t cutSeriesKeys = 0;
};

struct AuditItem {
    int item = 0;
    std::string name;
    std::size_t reachable = 0;
    std::size_t covered = 0;
    std::size_t missing = 0;
    std::size_t impossibleOnly = 0;
    std::size_t tableConditions = 0;
    std::size_t unreachable = 0;
};

// One registration parameter of a witness vehicle, named by the dictionary
// ("" where it has no name; `meaning` names a coded value).
struct AuditVehicleValue {
    int param = 0;
    std::string name;
    std::string value;
    std::string meaning;
};

// A condition of the rule space the table gives no limit, with a vehicle
// that reaches it and the judge command line that shows it.
struct AuditVehicle {
    int item = 0;
    std::string condition;
    bool heldEmpty = false;
    std::vector<AuditVehicleValue> vehicle;
    std::string judge;
};

// A row no vehicle reaches, with the nearest condition of the rules.
struct AuditUnreachable {
    int item = 0;
    int device = 0;
    std::string condition;
    std::size_t limits = 0;
    std::optional<std::string> suggestion;  // unset: the rules give the item no condition
    std::size_t distance = 0;
};

struct AuditOrphanSeries {
    int item = 0;
    std::string condition;
    std::optional<std::string> brand;  // set when the brand is listed, its series not
};

struct AuditDeviceGap {
    int item = 0;
    int device = 0;
    int heldBy = 0;
    std::string condition;
};

struct AuditCaseVariant {
    int item = 0;
    int device = 0;
    std::string condition;
    int shadowedByDevice = 0;
    std::string shadowedBy;
};

struct AuditTableCondition {
    int item = 0;
    int device = 0;
    std::string condition;
};

struct AuditParam {
    int param = 0;
    std::string name;
};

struct AuditMissingParams {
    int item = 0;
    int device = 0;
    std::string condition;
    std::vector<AuditParam> params;
};

struct AuditSeriesPair {
    std::string brand;
    std::string series;
};

// A series key two listed series form: the line serves one standard to both.
struct AuditSharedKey {
    std::string condition;
    std::vector<AuditSeriesPair> series;
    bool stored = false;
};

// A stored series key whose brand or series the line's intake cuts.
struct AuditCutKey {
    std::string condition;
    std::size_t brandBytes = 0;
    std::size_t seriesBytes = 0;
    std::size_t intakeBytes = 0;
};

struct AuditSeriesKeys {
    std::vector<AuditSharedKey> shared;
    std::vector<AuditCutKey> cut;
};

struct AuditReport {
    AuditSource source;
    bool covered = false;  // no vehicle without limits, every series key served
    AuditSummary summary;
    std::vector<AuditItem> items;
    std::vector<AuditVehicle> missing;
    std::vector<AuditVehicle> impossibleOnly;
    std::vector<AuditUnreachable> unreachable;
    std::vector<AuditOrphanSeries> orphanSeries;
    std::vector<AuditDeviceGap> deviceGaps;
    std::vector<AuditCaseVariant> caseVariants;
    std::vector<AuditTableCondition> emptyConditions;
    std::vector<AuditMissingParams> missingParams;
    std::vector<int> unknownItems;
    AuditSeriesKeys seriesKeys;
};

void to_json(Json &json, const AuditSource &source);
void to_json(Json &json, const AuditSummary &summary);
void to_json(Json &json, const AuditItem &item);
void to_json(Json &json, const AuditVehicleValue &value);
void to_json(Json &json, const AuditVehicle &vehicle);
void to_json(Json &json, const AuditUnreachable &row);
void to_json(Json &json, const AuditOrphanSeries &orphan);
void to_json(Json &json, const AuditDeviceGap &gap);
void to_json(Json &json, const AuditCaseVariant &variant);
void to_json(Json &json, const AuditTableCondition &condition);
void to_json(Json &json, const AuditParam &param);
void to_json(Json &json, const AuditMissingParams &missing);
void to_json(Json &json, const AuditSeriesPair &pair);
void to_json(Json &json, const AuditSharedKey &key);
void to_json(Json &json, const AuditCutKey &key);
void to_json(Json &json, const AuditSeriesKeys &keys);
void to_json(Json &json, const AuditReport &report);

// The table's origin in words: "standard file F" or "database table ...".
std::string AuditSourceLine(const AuditSource &source);

// Label and value pairs of the summary, in report order.
std::vector<std::pair<std::string, std::string>> AuditSummaryLines(const AuditSummary &summary);

// The aligned text report (UTF-8), summary first.
std::string AuditText(const AuditReport &report);

// One self-contained HTML page: no script, no network, no other file.
std::string AuditHtml(const AuditReport &report);

}  // namespace stdhost
