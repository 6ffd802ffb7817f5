#pragma once
// The coverage audit of a station's standard table: which vehicles the table
// leaves without limits, and which of its conditions no vehicle can reach.
//
// The rule space comes from the engine's condition walk. Every condition it
// reaches is confirmed by a real vehicle: the walk's example profile is
// turned into the registration parameters a line program sends and handed
// to a ConditionSource (the limits plug-in's own intake and rules), which
// must give the condition back. The walk varies derived class flags as
// inputs of their own, so some examples describe no real vehicle; those are
// repaired where fields the item's rule does not read can realise the flags,
// and a condition that no repair confirms is kept apart.
//
// Texts are GBK, as in the table; conditions are compared with the lookup's
// own comparison (ASCII case ignored outside GBK characters).
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/vehicle_profile.h"
#include "store/standard_table.h"

namespace audit {

// One registration parameter as a line program sends it: the parameter ID
// and its value text (ASCII: codes, numbers, dates).
struct RegistrationValue {
    int paramId = 0;
    std::string text;
    bool operator==(const RegistrationValue &o) const {
        return paramId == o.paramId && text == o.text;
    }
};
using Registration = std::vector<RegistrationValue>;

// The parameters that make the intake give `profile` back, as far as
// registration data can: every field the rules read, and the loading ratio
// (1011) only when the masses alone would derive another highRatio. The
// derived lightClass and isHeavy follow from masses, seats and kind and are
// not sent.
Registration RegistrationOf(const engine::VehicleProfile &profile);

// The profiles tried, in order, to find a real vehicle for a condition the
// walk reached with `example`: the example itself, then the example with
// total mass, seats and kind set to values that realise each combination
// of the derived class flags.
std::vector<engine::VehicleProfile> WitnessCandidates(const engine::VehicleProfile &example);

// Where a vehicle's condition comes from: the limits plug-in's intake and
// rules in national mode.
class ConditionSource {
  public:
    virtual ~ConditionSource() = default;
    // The condition of `itemId` for the vehicle `registration` describes:
    // true with the text in `condition`; false when the vehicle is not taken
    // or the item has no condition for it.
    virtual bool ConditionOf(const Registration &registration, int itemId,
                             std::string &condition) = 0;
};

// What the station database says besides the standards: the parameters of
// each item (tb_id_param) and the series of each brand (tb_type_vehicle,
// tb_type_index). Texts trimmed of trailing blanks.
struct StationCatalogue {
    std::map<int, std::set<int>> itemParams;              // itemid -> paramids, all devices
    std::set<std::string> brands;                         // CPMC
    std::map<std::string, std::set<std::string>> series;  // CPMC -> CXXL
};

// A condition of the rule space: reached by a vehicle the table gives no
// limit (or held without parameters), with the vehicle.
struct MissingCondition {
    int itemId = 0;
    std::string condition;
    bool heldEmpty = false;  // the table's matching condition holds no parameter
    bool confirmed = false;  // a real vehicle reaches it
    Registration witness;    // the confirmed vehicle, else the walk's profile as sent
};

// A table condition no vehicle reaches, with the nearest condition the rules
// produce for its item ("" when the rules give the item no condition).
struct UnreachableRow {
    int itemId = 0;
    int devid = 0;
    std::string condition;
    std::size_t paramCount = 0;
    std::string suggestion;
    std::size_t distance = 0;  // edit distance in characters, ASCII case ignored
};

// A condition that reads as a series standard (brand "_" series) whose brand
// or series the station's vehicle list no longer has.
struct OrphanSeries {
    int itemId = 0;
    std::string condition;
    std::string brand;        // the longest prefix that is a known brand, else ""
    bool brandKnown = false;  // the brand exists, the series does not
};

struct DeviceGap {
    int itemId = 0;
    int devid = 0;   // the device that lacks the condition
    int heldBy = 0;  // the first device that holds it
    std::string condition;
};

struct CaseVariant {
    int itemId = 0;
    int devid = 0;               // where the shadowed text is
    std::string condition;       // the shadowed text
    int firstDevid = 0;          // where the text that the lookup finds is
    std::string firstCondition;  // the text the lookup finds
};

struct TableCondition {
    int itemId = 0;
    int devid = 0;
    std::string condition;
};

struct MissingParams {
    int itemId = 0;
    int devid = 0;
    std::string condition;
    std::vector<int> params;  // catalogue parameters the condition has no limit for
};

struct ItemCoverage {
    int itemId = 0;
    std::size_t reachable = 0;        // conditions the rules produce for real vehicles
    std::size_t covered = 0;          // of those, the table gives limits for
    std::size_t impossibleOnly = 0;   // reached only by profiles no vehicle gives
    std::size_t tableConditions = 0;  // distinct texts the table holds (case ignored)
    std::size_t unreachable = 0;      // of those, no vehicle reaches (series excluded)
    bool FullyCovered() const { return covered == reachable; }
};

struct AuditReport {
    std::vector<ItemCoverage> items;               // the 44 standard items with conditions, by ID
    std::vector<MissingCondition> missing;         // confirmed: vehicles without limits
    std::vector<MissingCondition> impossibleOnly;  // not in the table, no real vehicle
    std::vector<UnreachableRow> unreachable;
    std::vector<OrphanSeries> orphanSeries;
    std::size_t seriesConditions = 0;  // series standards whose brand and series exist
    std::vector<DeviceGap> deviceGaps;
    std::vector<CaseVariant> caseVariants;
    std::vector<TableCondition> emptyConditions;
    std::vector<MissingParams> missingParams;
    std::vector<int> unknownItems;        // items of the table the rules do not judge
    bool catalogueChecked = false;        // missing parameters and series were checked
    std::size_t reachableConditions = 0;  // of the rule space, confirmed or not
    std::size_t confirmedConditions = 0;  // confirmed through the ConditionSource
    std::size_t sourceCalls = 0;          // vehicles handed to the ConditionSource

    std::size_t ItemsFullyCovered() const;
    bool FullyCovered() const { return missing.empty(); }
};

// The model numbers that the table's conditions of items 208 and 209 name
// ("body/model/..."), sorted, each once.
std::vector<int32_t> TableModelNumbers(const store::StandardTable &table);

// Audits `table`. `catalogue` may be null (no database): missing parameters
// and series are then not checked, and conditions that read as series
// standards are counted as series without a check.
AuditReport RunAudit(const store::StandardTable &table, const StationCatalogue *catalogue,
                     ConditionSource &source);

// Edit distance between two GBK texts in characters (a double-byte
// character is one), ASCII letters compared without case.
std::size_t ConditionDistance(const std::string &a, const std::string &b);

}  // namespace audit
