#include "history_chain.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <stdexcept>

#include "platform/login_name.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"
#ifdef _WIN32
#include "platform/gbk.h"
#endif

namespace generator {
namespace {

// The longest texts the change set's columns take, in bytes of UTF-8 (the
// columns count characters, so a byte count always fits).
constexpr std::size_t kOperatorBytes = 64;
constexpr std::size_t kProgramBytes = 128;
constexpr std::size_t kScopeBytes = 255;
constexpr std::size_t kCommentBytes = 255;
constexpr std::size_t kRowsPerInsert = 100;

// `text` cut to at most `bytes` bytes on a UTF-8 character boundary.
std::string CutUtf8(std::string text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

const char *const kKindNames[] = {"baseline", "generate", "import", "clear", "rollback", "apply"};

}  // namespace

const char *ChangeKindName(ChangeKind kind) {
    return kKindNames[static_cast<int>(kind)];
}

std::optional<ChangeKind> ChangeKindFromName(std::string_view name) {
    for (int k = 0; k < static_cast<int>(std::size(kKindNames)); ++k)
        if (name == kKindNames[k]) return static_cast<ChangeKind>(k);
    return std::nullopt;
}

std::string ResolvedOperator(const std::string &given) {
    if (!platform::TrimBlanks(given).empty()) return std::string(platform::TrimBlanks(given));
    if (const char *env = std::getenv("STATION_OPERATOR"); env != nullptr) {
        if (!platform::TrimBlanks(env).empty()) return std::string(platform::TrimBlanks(env));
    }
    std::string login = platform::LoginName();
#ifdef _WIN32
    // GetUserNameA answers in the ANSI code page, which is GBK on the lines.
    std::string utf8;
    if (platform::GbkToUtf8(login, utf8)) login = utf8;
#endif
    return login.empty() ? "unknown" : login;
}

bool HistoryPresent(stationdb::Connection &connection) {
    // The tables the connection's unqualified names reach: on a server, those
    // of its current schema (other schemas of the database may have their own).
    const char *sql;
    switch (connection.GetDialect()) {
        case stationdb::Dialect::kSqlite:
            sql =
                "select count(*) from sqlite_master where type = 'table' and name in "
                "('tb_std_history', 'tb_std_history_row')";
            break;
        case stationdb::Dialect::kSqlServer:
            sql =
                "select count(*) from information_schema.tables where table_schema = "
                "schema_name() and lower(table_name) in ('tb_std_history', "
                "'tb_std_history_row')";
            break;
        default:
            sql =
                "select count(*) from information_schema.tables where table_schema = "
                "current_schema() and lower(table_name) in ('tb_std_history', "
                "'tb_std_history_row')";
            break;
    }
    stationdb::Statement st(connection, sql, stationdb::Statement::Direct{});
    st.Execute();
    return st.Fetch() && platform::IntegerOf(st.View(1)) >= 2;
}

namespace history {

std::optional<TableDigest> TableDigest::FromHex(std::string_view hex) {
    if (hex.size() != 64) return std::nullopt;
    TableDigest digest;
    for (std::size_t i = 0; i < 32; ++i) {
        int byte = 0;
        for (const char c : hex.substr(i * 2, 2)) {
            int nibble;
            if (c >= '0' && c <= '9')
                nibble = c - '0';
            else if (c >= 'a' && c <= 'f')
                nibble = c - 'a' + 10;
            else
                return std::nullopt;
            byte = byte * 16 + nibble;
        }
        digest.value_[i] = static_cast<std::uint8_t>(byte);
    }
    return digest;
}

void TableDigest::Add(const platform::Sha256Digest &rowHash) {
    unsigned carry = 0;
    for (std::size_t i = 32; i-- > 0;) {
        const unsigned sum = value_[i] + rowHash[i] + carry;
        value_[i] = static_cast<std::uint8_t>(sum);
        carry = sum >> 8;
    }
}

void TableDigest::Subtract(const platform::Sha256Digest &rowHash) {
    int borrow = 0;
    for (std::size_t i = 32; i-- > 0;) {
        int difference = value_[i] - rowHash[i] - borrow;
        borrow = difference < 0 ? 1 : 0;
        value_[i] = static_cast<std::uint8_t>(difference + (borrow << 8));
    }
}

std::string TableDigest::Hex() const {
    return platform::HexOf(value_);
}

namespace {

void LengthPrefixed(platform::Sha256 &hasher, std::string_view text) {
    const std::string length = std::to_string(text.size()) + ":";
    hasher.Update(length);
    hasher.Update(text);
}

}  // namespace

platform::Sha256Digest RowHash(platform::Sha256 &hasher, std::int32_t itemid,
                               std::string_view condition, std::int32_t paramid,
                               std::string_view hvalue, std::string_view lvalue) {
    LengthPrefixed(hasher, std::to_string(itemid));
    LengthPrefixed(hasher, condition);
    LengthPrefixed(hasher, std::to_string(paramid));
    LengthPrefixed(hasher, hvalue);
    LengthPrefixed(hasher, lvalue);
    return hasher.Finish();
}

void ChangeSetHasher::Field(std::string_view text) {
    LengthPrefixed(hash_, text);
}
void ChangeSetHasher::Field(long long number) {
    LengthPrefixed(hash_, std::to_string(number));
}

ChangeSetHasher::ChangeSetHasher(const ChangeSet &header) {
    Field(header.prevHash);
    Field(header.id);
    Field(header.changedAt);
    Field(header.operatorName);
    Field(header.program);
    Field(ChangeKindName(header.kind));
    Field(header.scope);
    Field(header.comment);
    Field(header.reverts);
    Field(header.rowCount);
    Field(header.tableRows);
    Field(header.tableDigest);
}

void ChangeSetHasher::AddRow(const HistoryRow &row) {
    Field(row.itemid);
    Field(row.condition);
    Field(row.paramid);
    Field(row.type);
    Field(row.itemname);
    Field(row.paramname);
    Field(row.stdorder);
    for (const auto *values : {&row.before, &row.after}) {
        Field(values->has_value() ? "1" : "0");
        if (!values->has_value()) continue;
        Field((*values)->hvalue);
        Field((*values)->lvalue);
    }
}

std::string ChangeSetHasher::Finish() {
    return platform::HexOf(hash_.Finish());
}

std::optional<ChainHead> ReadChainHead(stationdb::Connection &connection) {
    if (!HistoryPresent(connection)) return std::nullopt;
    ChainHead head;
    stationdb::Statement st(connection,
                            "select id, hash, table_digest, table_rows from tb_std_history where "
                            "id = (select max(id) from tb_std_history)",
                            stationdb::Statement::Direct{});
    st.Execute();
    if (!st.Fetch()) return head;
    head.id = platform::IntegerOf(st.View(1));
    head.hash = st.Utf8(2);
    const auto digest = TableDigest::FromHex(st.Utf8(3));
    if (digest == std::nullopt || head.hash.size() != 64)
        throw std::runtime_error("the last change set of the history (" + std::to_string(head.id) +
                                 ") holds no valid hash: run stdhost verify");
    head.digest = *digest;
    head.tableRows = platform::IntegerOf(st.View(4));
    return head;
}

std::vector<HistoryRow> ReadTableRows(stationdb::Connection &connection, bool deleting) {
    std::vector<HistoryRow> rows;
    stationdb::Statement st(connection,
                            "select type, itemid, itemname, condition, paramid, paramname, hvalue, "
                            "lvalue, stdorder from tb_id_standard",
                            stationdb::Statement::Direct{});
    st.Execute();
    while (st.Fetch()) {
        HistoryRow row;
        row.type = st.Utf8(1);
        row.itemid = platform::IntegerOf(st.View(2));
        row.itemname = st.Utf8(3);
        row.condition = st.Utf8(4);
        row.paramid = platform::IntegerOf(st.View(5));
        row.paramname = st.Utf8(6);
        LimitValues values{st.Utf8(7), st.Utf8(8)};
        row.stdorder = platform::IntegerOf(st.View(9));
        (deleting ? row.before : row.after) = std::move(values);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &now);
#else
    gmtime_r(&now, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}

ChangeRecorder::ChangeRecorder(stationdb::Connection &connection, ChangeKind kind,
                               std::string scope, const ChangeOrigin &origin, long long reverts)
    : connection_(connection), head_(ReadChainHead(connection)) {
    set_.kind = kind;
    set_.scope = CutUtf8(std::move(scope), kScopeBytes);
    set_.operatorName = CutUtf8(ResolvedOperator(origin.operatorName), kOperatorBytes);
    set_.program = CutUtf8(origin.program, kProgramBytes);
    set_.comment = CutUtf8(origin.comment, kCommentBytes);
    set_.reverts = reverts;
}

void ChangeRecorder::Add(HistoryRow row) {
    if (!Active() || row.before == row.after) return;
    rows_.push_back(std::move(row));
}

namespace {

void BindValues(stationdb::Statement &st, int index, const std::optional<LimitValues> &values) {
    if (values) {
        st.BindUtf8(index, values->hvalue);
        st.BindUtf8(index + 1, values->lvalue);
    } else {
        st.BindNullText(index);
        st.BindNullText(index + 1);
    }
}

void InsertChangeSet(stationdb::Connection &connection, const ChangeSet &set) {
    stationdb::Statement st(connection,
                            "insert into tb_std_history(id, changed_at, operator_name, program, "
                            "kind, scope, note, reverts, row_count, table_rows, prev_hash, hash, "
                            "table_digest) values(?,?,?,?,?,?,?,?,?,?,?,?,?)",
                            stationdb::Statement::Direct{});
    st.BindInt(1, set.id);
    st.BindUtf8(2, set.changedAt);
    st.BindUtf8(3, set.operatorName);
    st.BindUtf8(4, set.program);
    st.BindUtf8(5, ChangeKindName(set.kind));
    st.BindUtf8(6, set.scope);
    st.BindUtf8(7, set.comment);
    if (set.reverts > 0)
        st.BindInt(8, set.reverts);
    else
        st.BindNullInt(8);
    st.BindInt(9, set.rowCount);
    st.BindInt(10, set.tableRows);
    st.BindUtf8(11, set.prevHash);
    st.BindUtf8(12, set.hash);
    st.BindUtf8(13, set.tableDigest);
    st.Execute();
}

// The rows in statements of up to kRowsPerInsert rows (13 parameters each).
void InsertRows(stationdb::Connection &connection, long long changeset,
                const std::vector<HistoryRow> &rows) {
    static constexpr char kHead[] =
        "insert into tb_std_history_row(changeset, seq, itemid, condition, paramid, type, "
        "itemname, paramname, stdorder, old_hvalue, old_lvalue, new_hvalue, new_lvalue) values ";
    static constexpr char kRow[] = "(?,?,?,?,?,?,?,?,?,?,?,?,?)";
    std::unique_ptr<stationdb::Statement> full;
    for (std::size_t start = 0; start < rows.size(); start += kRowsPerInsert) {
        const std::size_t n = std::min(kRowsPerInsert, rows.size() - start);
        std::string sql = kHead;
        for (std::size_t r = 0; r < n; ++r) sql += r == 0 ? kRow : std::string(",") + kRow;
        std::unique_ptr<stationdb::Statement> partial;
        if (n == kRowsPerInsert && !full)
            full = std::make_unique<stationdb::Statement>(connection, sql);
        if (n != kRowsPerInsert) partial = std::make_unique<stationdb::Statement>(connection, sql);
        stationdb::Statement &st = n == kRowsPerInsert ? *full : *partial;
        int i = 1;
        for (std::size_t r = start; r < start + n; ++r, i += 13) {
            const HistoryRow &row = rows[r];
            st.BindInt(i, changeset);
            st.BindInt(i + 1, static_cast<long long>(r) + 1);
            st.BindInt(i + 2, row.itemid);
            st.BindUtf8(i + 3, row.condition);
            st.BindInt(i + 4, row.paramid);
            st.BindUtf8(i + 5, row.type);
            st.BindUtf8(i + 6, row.itemname);
            st.BindUtf8(i + 7, row.paramname);
            st.BindInt(i + 8, row.stdorder);
            BindValues(st, i + 9, row.before);
            BindValues(st, i + 11, row.after);
        }
        st.Execute();
    }
}

}  // namespace

long long ChangeRecorder::Write(bool always) {
    if (!Active() || (rows_.empty() && !always)) return 0;
    ChainHead &head = *head_;
    platform::Sha256 hasher;
    TableDigest digest = head.digest;
    long long tableRows = head.tableRows;
    for (const HistoryRow &row : rows_) {
        if (row.before) {
            digest.Subtract(RowHash(hasher, row.itemid, row.condition, row.paramid,
                                    row.before->hvalue, row.before->lvalue));
            --tableRows;
        }
        if (row.after) {
            digest.Add(RowHash(hasher, row.itemid, row.condition, row.paramid, row.after->hvalue,
                               row.after->lvalue));
            ++tableRows;
        }
    }
    set_.id = head.id + 1;
    set_.changedAt = UtcNow();
    set_.rowCount = static_cast<long long>(rows_.size());
    set_.tableRows = tableRows;
    set_.prevHash = head.hash;
    set_.tableDigest = digest.Hex();
    ChangeSetHasher chain(set_);
    for (const HistoryRow &row : rows_) chain.AddRow(row);
    set_.hash = chain.Finish();
    InsertChangeSet(connection_, set_);
    InsertRows(connection_, set_.id, rows_);
    head = ChainHead{set_.id, set_.hash, digest, tableRows};
    rows_.clear();
    return set_.id;
}

}  // namespace history
}  // namespace generator
