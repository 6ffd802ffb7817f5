#include "init_station.h"
#include "terminal_text.h"

namespace stdhost {

std::string InitStationText(const InitStationReport &r) {
    std::string text = "station " + r.directory + "\n";
    if (r.sqlite)
        text += Printed("  database   %s, SQLite (data source %s in odbc.ini)\n",
                        r.sqliteFile.c_str(), r.dataSource.c_str());
    else
        text += Printed("  database   data source %s, %s%s%s\n", r.dataSource.c_str(),
                        r.dialect.c_str(), r.user.empty() ? "" : ", user ", r.user.c_str());
    if (!r.seeded) {
        text += "  tables     left as they are (--no-seed)\n";
    } else {
        long long total = 0;
        for (const SeedCount &c : r.counts) {
            text += Printed("  %-20s %6lld rows\n", c.table.c_str(), c.rows);
            total += c.rows;
        }
        text += Printed("  %-20s %6lld rows in %zu tables\n", "seeded", total, r.counts.size());
        if (r.baselineId > 0)
            text += Printed(
                "  history    baseline change set %lld holds the %lld rows of "
                "tb_id_standard\n",
                r.baselineId, r.baselineRows);
    }
    return text +
           "  written    plinth.ini, odbc.ini, odbcinst.ini, config/, modules/Zk2GBStdALL.std\n";
}

}  // namespace stdhost
