#include "upgrade_station.h"

#include <stdexcept>

#include "bridges/plinth_bridge.h"
#include "station.h"
#include "stationdb/stationdb.h"

namespace stdhost {

StationUpgrade UpgradeStation(const std::string &stationOption,
                              const generator::ChangeOrigin &origin) {
    StationUpgrade out;
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    if (out.exitCode = EnterStation(stationOption, station, plinth, settings);
        out.exitCode != kExitOk)
        return out;
    out.dataSource = settings.dataSource;
    try {
        stationdb::Connection connection;
        ConnectStation(connection, settings.ConnectString());
        out.dialect = stationdb::DialectName(connection.GetDialect());
        const generator::HistoryUpgrade upgrade = generator::UpgradeHistory(connection, origin);
        out.createdTables = upgrade.createdTables;
        out.baselineId = upgrade.baselineId;
        out.baselineRows = upgrade.baselineRows;
    } catch (const stationdb::DatabaseError &e) {
        Complain("data source " + settings.dataSource + ": upgrading failed (nothing was changed " +
                 "by the failed step): " + e.what());
        out.exitCode = kExitFailure;
    } catch (const std::runtime_error &e) {
        Complain("data source " + settings.dataSource + ": " + e.what());
        out.exitCode = kExitFailure;
    }
    return out;
}

std::string StationUpgradeText(const StationUpgrade &upgrade) {
    std::string text = "data source " + upgrade.dataSource + " (" + upgrade.dialect + "): ";
    text += upgrade.createdTables ? "history tables created" : "history tables already there";
    if (upgrade.baselineId > 0)
        text += "; baseline change set " + std::to_string(upgrade.baselineId) + " records the " +
                std::to_string(upgrade.baselineRows) + " rows of tb_id_standard";
    else
        text += "; the history already has its baseline, nothing recorded";
    return text + "\n";
}

}  // namespace stdhost
