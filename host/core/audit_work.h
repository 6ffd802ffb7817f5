#pragma once
// stdhost audit's work: the station's standard table (or a standard file)
// against the rule space, every finding named for the report.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "audit_report.h"
#include "coverage_audit.h"
#include "generator/series_key.h"
#include "station.h"

namespace bridges {
class PlinthBridge;
}
namespace stationdb {
class Connection;
}

namespace stdhost {

struct AuditRequest {
    std::string sfd;        // audit this standard file, "" for the database's table
    std::string sfdDamage;  // what is wrong with that file (StandardFileDamage), "" if nothing
};

// Audits the station's table. Problems are said on standard error as they
// are found (a damaged file, a catalogue that cannot be read); nothing when
// the table, the database it needs or the limits plug-in cannot be had, after
// the complaint.
std::optional<AuditReport> AuditStation(const std::string &stationOption,
                                        const AuditRequest &request);

// Audits tables of a station whose environment is entered and whose
// database is open: the catalogue and the vehicle list are read once, the
// limits plug-in is loaded once. The station's objects must outlive it.
class StationAudit {
  public:
    StationAudit(const Station &station, const bridges::PlinthBridge &plinth,
                 const StationSettings &settings);
    ~StationAudit();
    StationAudit(const StationAudit &) = delete;
    StationAudit &operator=(const StationAudit &) = delete;
    // False after a complaint when the lists cannot be read or the limits
    // plug-in cannot be had.
    bool Open(stationdb::Connection &connection);
    audit::AuditReport Run(const store::StandardTable &table);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// What the report needs besides the core's findings.
struct AuditNames {
    std::function<std::string(int)> param;  // a dictionary name (UTF-8), "" when none
    std::map<int, std::string> items;       // item names of tb_id_item (GBK)
};

// The report of `found`: texts in UTF-8, the vehicles named, and the series
// keys the lines cannot serve among `listed` (keys stored: `held`, folded).
AuditReport ReportOf(const audit::AuditReport &found, const AuditSource &source,
                     const AuditNames &names, const std::vector<generator::SeriesId> &listed,
                     const std::set<std::string> &held);

}  // namespace stdhost
