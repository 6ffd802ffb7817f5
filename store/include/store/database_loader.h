#pragma once
// Rebuilding the standard table from the station database: the devices of
// the line, the items of each device, the conditions of each item and the
// limits of each condition, then the standard file and the stamp of the
// database in memstd.ini.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "stationdb/stationdb.h"
#include "store/standard_table.h"

namespace store {

// The module's own connection to the station database, opened on demand
// with the connect string of the environment record.
class StationDatabase {
  public:
    void SetConnectString(std::string connectString) { connectString_ = std::move(connectString); }

    // 1 when the connection is open afterwards, 0 when it could not be
    // opened (no message, never a prompt). Already open: 1 at once. A
    // connect string that names no data source or driver is never tried.
    int OpenDatabase();
    void CloseDatabase() noexcept { connection_.Close(); }
    bool IsOpen() const { return connection_.IsOpen(); }
    stationdb::Connection &Connection() { return connection_; }

  private:
    std::string connectString_;
    stationdb::Connection connection_;
};

// How the reading stages reach the server. kStaged reads the devices, the
// items, and the conditions together with their limits, each with one
// statement; kPerCondition issues one statement per device, per device-item
// and per condition, as line software traditionally did; it serves as the
// reference the staged reads are checked and measured against. Both give
// the same table.
enum class ReadPath { kStaged, kPerCondition };

// The statements of the loader in one server's dialect.
struct LoaderStatements {
    const char *stamp;
    const char *devices;
    const char *items;            // staged: every (devid, itemid) of the line
    const char *conditions;       // staged: every (itemid, condition), when the limits fail
    const char *limits;           // staged: every limit row
    const char *deviceItems;      // per device: its items (? = devid)
    const char *itemConditions;   // per item: its conditions (? = itemid)
    const char *conditionLimits;  // per condition (? = itemid, ? = stored text)
};
const LoaderStatements &StatementsFor(stationdb::Dialect dialect);

// Where the loader keeps its files: "<configDirectory>/StandarFile.sfd" and
// "<configDirectory>/memstd.ini". An empty directory gives empty paths: a
// pass then reads no stamp file (every pass runs) and writes no file.
struct LoaderFiles {
    std::string standardFile;
    std::string stampFile;
};
LoaderFiles FilesIn(const std::string &configDirectory);

// Runs one database pass and returns its result:
//   1 table rebuilt and the standard file written; 2 database unchanged
//   (force 0 only), nothing done; 0 no connection, or no device ("没有发现
//   标准"); -1 to -4 a database error while reading the stamp or the
//   devices, the items, the conditions, the limits (the driver's message is
//   given as a notice); -5 devices but no limit at all ("没有发现标准2/设
//   备"); in all these `served` and the file are untouched; -6 to -8 the
//   file writer's failures after the table was replaced.
// The new table is built aside; once the four reading stages have completed
// and found standards it replaces `served`, whose present items it keeps and
// adds to. The stamp is recorded only after the standard file was written:
// TIME as a whole number (64 bits), STAMPTEXT as the stamp's trimmed text;
// the pass runs when either differs from the database's.
// A pass ended by the condition or limit stage still flags the items it
// read in `served`. The connection is closed when the pass ends.
int LoadFromDatabase(StationDatabase &database, StandardTable &served, const LoaderFiles &files,
                     int force, ReadPath path = ReadPath::kStaged);

// Only the four reading stages, on an open connection: 1 with `target`
// replaced by what was read, or -1 to -4 as above with `target` untouched
// and the driver's message in `why` when given. For comparing the two read
// paths, and for telling why a pass of the plug-in failed.
int ReadStandardTable(stationdb::Connection &connection, StandardTable &target, ReadPath path,
                      std::string *why = nullptr);

// One row of tb_id_standard as stored (texts UTF-8), for building a table
// from rows that are not, or not yet, in the database.
struct StoredLimitRow {
    int32_t itemid = 0;
    std::string_view condition;
    int32_t paramid = 0;
    std::string_view hvalue;
    std::string_view lvalue;
};

// ReadStandardTable with `rows` read in place of tb_id_standard's limit rows:
// the table a pass would build if the database held exactly those rows
// (the devices and items are the database's). 1, or -1/-2 as above.
int ReadStandardTableWithRows(stationdb::Connection &connection,
                              const std::vector<StoredLimitRow> &rows, StandardTable &target,
                              std::string *why = nullptr);

}  // namespace store
