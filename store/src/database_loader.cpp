#include "store/database_loader.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "gbk_texts.h"
#include "loader_reads.h"
#include "platform/ascii_case.h"
#include "platform/gbk.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/trace.h"
#include "store/database_stamp.h"
#include "store/item_set.h"
#include "store/standard_file_format.h"

namespace store {
namespace {

constexpr unsigned kQueryTimeoutSeconds = 20000;
constexpr std::size_t kMessageBytes = 500;
constexpr const char *kStampSection = "CREATETIME";
constexpr const char *kStampKey = "TIME";
// The stamp's whole text beside TIME: a stamp that is a date-time text, or
// one beyond 64 bits, still differs from the next one as text.
constexpr const char *kStampTextKey = "STAMPTEXT";

// Statements that every dialect runs as they stand.
constexpr const char *kStamp = kDatabaseStampQuery;
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

// A stamp as a whole number: the decimal conversion of the line software
// (blanks, a sign, digits up to the first other character, 0 without digits),
// kept in 64 bits so that a stamp beyond 32 bits still differs from the next.
int64_t StampOf(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > (INT64_MAX - (text[i] - '0')) / 10) return negative ? INT64_MIN : INT64_MAX;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// The stamp of the database (as a number and as its trimmed text), and
// whether the pass must run: without a stamp file every pass runs; otherwise
// when TIME differs, or the recorded text differs (a memstd.ini without the
// text compares TIME alone). Throws DatabaseError.
bool NeedsReload(stationdb::Connection &connection, const LoaderFiles &files, int force,
                 int64_t &dbStamp, std::string &dbStampText) {
    bool reload = false;
    if (const std::optional<std::string> stamp = ReadDatabaseStamp(connection)) {
        dbStampText = *stamp;
        dbStamp = StampOf(dbStampText);
        int64_t fileStamp = 0;
        std::string fileText;
        if (!files.stampFile.empty()) {
            fileStamp =
                StampOf(platform::GetProfileString(files.stampFile, kStampSection, kStampKey, ""));
            fileText =
                platform::GetProfileString(files.stampFile, kStampSection, kStampTextKey, "");
        }
        reload =
            fileStamp < 1 || fileStamp != dbStamp || (!fileText.empty() && fileText != dbStampText);
    }
    return reload || force == 1;
}

// The served table keeps the items that a pass ended by a later stage had
// found: the line's items are known once the item stage has completed.
void FlagReadItems(const loader::Gathered &gathered, StandardTable &served) {
    for (const loader::GatheredDevice &device : gathered.devices)
        for (int32_t id : device.items)
            if (store::ItemSlot(id) >= 0) served.PresentItems().SetItemFlag(id, 1);
}

// True when the connect string names a data source (DSN, FILEDSN) or a
// driver; an empty one must not reach the driver, which may take the whole
// text for a file name.
bool NamesASource(const std::string &connectString) {
    std::size_t start = 0;
    while (start < connectString.size()) {
        std::size_t end = connectString.find(';', start);
        if (end == std::string::npos) end = connectString.size();
        const std::string_view part(connectString.data() + start, end - start);
        const std::size_t eq = part.find('=');
        if (eq != std::string_view::npos) {
            const std::string_view key = loader::TrimBlanks(part.substr(0, eq));
            const bool named = !loader::TrimBlanks(part.substr(eq + 1)).empty();
            if (named && (platform::EqualsAsciiNoCase(key, "DSN") ||
                          platform::EqualsAsciiNoCase(key, "FILEDSN") ||
                          platform::EqualsAsciiNoCase(key, "DRIVER")))
                return true;
        }
        start = end + 1;
    }
    return false;
}

// Merges the present items of the served table into the new one.
void KeepPresentItems(const StandardTable &served, StandardTable &fresh) {
    auto &flags = fresh.PresentItems().Flags();
    const auto &old = served.PresentItems().Flags();
    for (std::size_t i = 0; i < flags.size(); ++i)
        if (flags[i] == 0) flags[i] = old[i];
}

// Runs the reading stages through `read` and, when they complete, replaces
// `target` with the table built from what they gathered: 1, or the failing
// stage's result with `target` untouched and its message in `why`.
template <typename Read>
int BuildFromStages(Read &&read, StandardTable &target, std::string *why) {
    StandardTable fresh;
    loader::Gathered gathered;
    try {
        read(gathered);
    } catch (const loader::StageError &e) {
        if (why != nullptr) *why = e.error.what();
        return e.result;
    }
    loader::BuildTable(gathered, fresh);
    target.Swap(fresh);
    return 1;
}

}  // namespace

int StationDatabase::OpenDatabase() {
    if (connection_.IsOpen()) return 1;
    if (!NamesASource(connectString_)) {
        platform::Trace("station database not opened: no data source named\n");
        return 0;
    }
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
    if (configDirectory.empty()) return {};
    return {platform::JoinPath(configDirectory, sfd::kFileName),
            platform::JoinPath(configDirectory, "memstd.ini")};
}

int ReadStandardTable(stationdb::Connection &connection, StandardTable &target, ReadPath path,
                      std::string *why) {
    return BuildFromStages(
        [&](loader::Gathered &gathered) { loader::ReadStages(connection, path, gathered); }, target,
        why);
}

int ReadStandardTableWithRows(stationdb::Connection &connection,
                              const std::vector<StoredLimitRow> &rows, StandardTable &target,
                              std::string *why) {
    return BuildFromStages(
        [&](loader::Gathered &gathered) { loader::ReadStagesWithRows(connection, rows, gathered); },
        target, why);
}

int LoadFromDatabase(StationDatabase &database, StandardTable &served, const LoaderFiles &files,
                     int force, ReadPath path) {
    if (database.OpenDatabase() == 0) return 0;
    // Each pass sees the database as it is now: the connection lasts one
    // pass, whatever its result.
    struct CloseAtEnd {
        StationDatabase &database;
        ~CloseAtEnd() { database.CloseDatabase(); }
    } closeAtEnd{database};
    stationdb::Connection &connection = database.Connection();

    int64_t dbStamp = 0;
    std::string dbStampText;
    loader::Gathered gathered;
    try {
        bool reload;
        try {
            reload = NeedsReload(connection, files, force, dbStamp, dbStampText);
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
        if (e.result <= -3) FlagReadItems(gathered, served);
        return e.result;
    }

    // The four stages are complete. A database without standards is a failed
    // pass like any other: the served table and the file stay as they are.
    StandardTable fresh;
    loader::BuildTable(gathered, fresh);
    database.CloseDatabase();
    platform::Trace(texts::kDbOrganizing);
    if (fresh.Devices().empty()) {
        platform::Notice(texts::kNoStandardFound);
        return 0;
    }
    if (fresh.RecordCount() == 0) {
        // As after a pass ended by a later stage, the line's items are known.
        FlagReadItems(gathered, served);
        platform::Notice(texts::kNoStandardFound2);
        return -5;
    }
    // The new table replaces the served one, whatever the file write below
    // gives.
    KeepPresentItems(served, fresh);
    served.Swap(fresh);
    if (files.standardFile.empty()) return 1;  // no configuration directory: nothing is written
    const int written = served.WriteFile(files.standardFile);
    // Only a written file makes the stamp current: otherwise the next pass
    // must run again.
    if (written == 1) {
        char stamp[24];
        std::snprintf(stamp, sizeof stamp, "%lld", static_cast<long long>(dbStamp));
        if (!platform::WriteProfileString(files.stampFile, kStampSection, kStampKey, stamp) ||
            !platform::WriteProfileString(files.stampFile, kStampSection, kStampTextKey,
                                          dbStampText))
            platform::TraceF("memstd.ini not written: %s\n", files.stampFile.c_str());
    }
    return written;
}

}  // namespace store
