#include "store/database_loader.h"

#include <cstdio>

#include "gbk_texts.h"
#include "loader_reads.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "platform/trace.h"
#include "store/standard_file_format.h"

namespace store {
namespace {

constexpr unsigned kQueryTimeoutSeconds = 20000;
constexpr std::size_t kMessageBytes = 500;
constexpr const char *kStampSection = "CREATETIME";
constexpr const char *kStampKey = "TIME";

// Statements that every dialect runs as they stand.
constexpr const char *kStamp = "select DBModifyTime from tb_status_memstd ";
constexpr const char *kDevices =
    "select distinct(devid) from tb_login_lineindex where (devid <> 6 and devid <> 44 ) order by "
    "devid";
constexpr const char *kItems =
    "select distinct devid, itemid from tb_login_lineindex where (devid <> 6 and devid <> 44 ) "
    "order by devid, itemid";
constexpr const char *kLimits =
    "select itemid, condition, paramid, hvalue, lvalue from tb_id_standard";
constexpr const char *kDeviceItems =
    "select distinct(itemid) from tb_login_lineindex where devid = ? order by itemid";

// SQLite and PostgreSQL compare texts byte for byte.
constexpr LoaderStatements kPortable = {
    kStamp,
    kDevices,
    kItems,
    "select distinct itemid, condition from tb_id_standard",
    kLimits,
    kDeviceItems,
    "select distinct(condition) from tb_id_standard where itemid = ? ",
    "select paramid,hvalue,lvalue,condition from tb_id_standard where itemid = ? and condition = "
    "? ",
};

// SQL Server's usual collations ignore letter case: DISTINCT would merge
// conditions that differ only in case, so the texts are compared in binary.
constexpr LoaderStatements kSqlServer = {
    kStamp,
    kDevices,
    kItems,
    "select distinct itemid, condition collate Latin1_General_BIN2 as condition from "
    "tb_id_standard",
    kLimits,
    kDeviceItems,
    "select distinct(condition collate Latin1_General_BIN2) as condition from tb_id_standard "
    "where itemid = ? ",
    "select paramid,hvalue,lvalue,condition from tb_id_standard where itemid = ? and condition = "
    "? collate Latin1_General_BIN2 ",
};

// The driver's message as a notice (GBK, at most 500 bytes).
void NoticeDatabaseError(const stationdb::DatabaseError &error) {
    std::string gbk;
    if (!platform::Utf8ToGbk(error.what(), gbk)) {
        gbk.clear();
        for (unsigned char c : std::string(error.what())) gbk.push_back(c < 0x80 ? char(c) : '?');
    }
    gbk.resize(platform::GbkCutLength(gbk, kMessageBytes));
    platform::Notice(gbk);
}

// A lost connection stays lost: close it so that the next pass reconnects.
bool ConnectionLost(stationdb::Connection &connection, const stationdb::DatabaseError &error) {
    return error.SqlState().rfind("08", 0) == 0 || connection.IsDead();
}

// The stamp of the database, and whether the pass must run. Throws
// DatabaseError.
bool NeedsReload(stationdb::Connection &connection, const LoaderFiles &files, int force,
                 int &dbStamp) {
    bool reload = false;
    stationdb::Statement st(connection, StatementsFor(connection.GetDialect()).stamp);
    st.Execute();
    if (st.Fetch()) {
        dbStamp = loader::IntegerOf(loader::TrimBlanks(st.Utf8(st.Column("DBModifyTime"))));
        const int fileStamp = platform::GetProfileInt(files.stampFile, kStampSection, kStampKey, 0);
        reload = fileStamp < 1 || fileStamp != dbStamp;
    }
    return reload || force == 1;
}

// Merges the present items of the served table into the new one.
void KeepPresentItems(const StandardTable &served, StandardTable &fresh) {
    auto &flags = fresh.PresentItems().Flags();
    const auto &old = served.PresentItems().Flags();
    for (std::size_t i = 0; i < flags.size(); ++i)
        if (flags[i] == 0) flags[i] = old[i];
}

}  // namespace

int StationDatabase::OpenDatabase() {
    if (connection_.IsOpen()) return 1;
    try {
        connection_.Open(connectString_);
        connection_.SetQueryTimeout(kQueryTimeoutSeconds);
        return 1;
    } catch (const stationdb::DatabaseError &e) {
        platform::TraceF("station database not opened: %s\n", e.what());
        connection_.Close();
        return 0;
    }
}

const LoaderStatements &StatementsFor(stationdb::Dialect dialect) {
    return dialect == stationdb::Dialect::kSqlServer ? kSqlServer : kPortable;
}

LoaderFiles FilesIn(const std::string &configDirectory) {
    return {configDirectory + "/" + sfd::kFileName, configDirectory + "/memstd.ini"};
}

int ReadStandardTable(stationdb::Connection &connection, StandardTable &target, ReadPath path) {
    StandardTable fresh;
    loader::Gathered gathered;
    try {
        loader::ReadStages(connection, path, gathered);
    } catch (const loader::StageError &e) {
        return e.result;
    }
    loader::BuildTable(gathered, fresh);
    target.Swap(fresh);
    return 1;
}

int LoadFromDatabase(StationDatabase &database, StandardTable &served, const LoaderFiles &files,
                     int force, ReadPath path) {
    if (database.OpenDatabase() == 0) return 0;
    stationdb::Connection &connection = database.Connection();

    int dbStamp = 0;
    loader::Gathered gathered;
    try {
        bool reload;
        try {
            reload = NeedsReload(connection, files, force, dbStamp);
        } catch (const stationdb::DatabaseError &e) {
            throw loader::StageError{-1, e};
        }
        if (!reload) {
            platform::Trace(texts::kDbNotUpdated);
            return 2;
        }
        loader::ReadStages(connection, path, gathered);
    } catch (const loader::StageError &e) {
        NoticeDatabaseError(e.error);
        if (ConnectionLost(connection, e.error)) database.CloseDatabase();
        return e.result;
    }

    // The four stages are complete: the new table replaces the served one,
    // whatever the file write below gives.
    StandardTable fresh;
    loader::BuildTable(gathered, fresh);
    KeepPresentItems(served, fresh);
    served.Swap(fresh);
    database.CloseDatabase();

    platform::Trace(texts::kDbOrganizing);
    const int written = served.WriteFile(files.standardFile);
    // Only a written file makes the stamp current: otherwise the next pass
    // must run again.
    if (written == 1) {
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%d", dbStamp);
        if (!platform::WriteProfileString(files.stampFile, kStampSection, kStampKey, stamp))
            platform::TraceF("memstd.ini not written: %s\n", files.stampFile.c_str());
    }
    return written;
}

}  // namespace store
