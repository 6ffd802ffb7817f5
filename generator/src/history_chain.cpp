#include "history_chain.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <map>
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
constexpr std::size_t kPartsPerInsert = 100;

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

// Appends `text` length-prefixed ("<bytes>:<text>"), so that no two field
// lists run together into the same bytes.
void AppendNumber(std::string &out, long long number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

void LengthPrefixed(std::string &out, std::string_view text) {
    AppendNumber(out, static_cast<long long>(text.size()));
    out += ':';
    out += text;
}

void LengthPrefixed(std::string &out, long long number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    LengthPrefixed(out, std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

}  // namespace

platform::Sha256Digest RowHash(platform::Sha256 &hasher, std::int32_t itemid,
                               std::string_view condition, std::int32_t paramid,
                               std::string_view hvalue, std::string_view lvalue) {
    // One update per row: the hash library's per-call cost exceeds the bytes'.
    thread_local std::string bytes;
    bytes.clear();
    LengthPrefixed(bytes, itemid);
    LengthPrefixed(bytes, condition);
    LengthPrefixed(bytes, paramid);
    LengthPrefixed(bytes, hvalue);
    LengthPrefixed(bytes, lvalue);
    hasher.Update(bytes);
    return hasher.Finish();
}

void ChangeSetHasher::Field(std::string_view text) {
    std::string bytes;
    LengthPrefixed(bytes, text);
    hash_.Update(bytes);
}
void ChangeSetHasher::Field(long long number) {
    Field(std::string_view(std::to_string(number)));
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

void ChangeSetHasher::AddPart(std::int32_t itemBlock, std::string_view condition,
                              std::string_view changes) {
    Field(itemBlock);
    Field(condition);
    Field(changes);
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
                               const std::string &scope, const ChangeOrigin &origin,
                               long long reverts)
    : connection_(connection), head_(ReadChainHead(connection)) {
    set_.kind = kind;
    set_.scope = CutUtf8(scope, kScopeBytes);
    set_.operatorName = CutUtf8(ResolvedOperator(origin.operatorName), kOperatorBytes);
    set_.program = CutUtf8(origin.program, kProgramBytes);
    set_.comment = CutUtf8(origin.comment, kCommentBytes);
    set_.reverts = reverts;
}

void ChangeRecorder::Add(HistoryRow row) {
    if (!Active() || row.before == row.after) return;
    if (row.after) {
        // Only a rollback of a deletion inserts the row again and needs its
        // names and order.
        row.type.clear();
        row.itemname.clear();
        row.paramname.clear();
        row.stdorder = 0;
    }
    rows_.push_back(std::move(row));
}

namespace {

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

// The stored form of a change set's rows: one part per run of rows of one
// item block and condition.
struct StoredPart {
    std::int32_t itemBlock;
    const std::string *condition;
    std::string changes;
};

std::vector<StoredPart> PackParts(const std::vector<HistoryRow> &rows) {
    std::vector<StoredPart> parts;
    std::size_t begin = 0;
    for (std::size_t r = 1; r <= rows.size(); ++r) {
        if (r < rows.size() && ItemBlock(rows[r].itemid) == ItemBlock(rows[begin].itemid) &&
            rows[r].condition == rows[begin].condition)
            continue;
        parts.push_back({ItemBlock(rows[begin].itemid), &rows[begin].condition,
                         PackChanges(rows.data() + begin, rows.data() + r)});
        begin = r;
    }
    return parts;
}

// The parts in statements of up to kPartsPerInsert parts, 5 parameters each.
void InsertParts(stationdb::Connection &connection, long long changeset,
                 const std::vector<StoredPart> &parts) {
    static constexpr char kHead[] =
        "insert into tb_std_history_row(changeset, part, item_block, condition, changes) values ";
    std::unique_ptr<stationdb::Statement> full;
    for (std::size_t start = 0; start < parts.size(); start += kPartsPerInsert) {
        const std::size_t n = std::min(kPartsPerInsert, parts.size() - start);
        std::string sql = kHead;
        for (std::size_t p = 0; p < n; ++p) sql += p == 0 ? "(?,?,?,?,?)" : ",(?,?,?,?,?)";
        std::unique_ptr<stationdb::Statement> partial;
        if (n == kPartsPerInsert && !full)
            full = std::make_unique<stationdb::Statement>(connection, sql);
        if (n != kPartsPerInsert) partial = std::make_unique<stationdb::Statement>(connection, sql);
        stationdb::Statement &st = n == kPartsPerInsert ? *full : *partial;
        int i = 1;
        for (std::size_t p = start; p < start + n; ++p, i += 5) {
            st.BindInt(i, changeset);
            st.BindInt(i + 1, static_cast<long long>(p) + 1);
            st.BindInt(i + 2, parts[p].itemBlock);
            st.BindUtf8(i + 3, *parts[p].condition);
            st.BindUtf8(i + 4, parts[p].changes);
        }
        st.Execute();
    }
}

// Rows of one item block and condition next to each other, in the order
// their first row came: the order the parts and the hash take.
void GroupByPart(std::vector<HistoryRow> &rows) {
    std::map<std::pair<std::int32_t, std::string_view>, std::size_t> firstSeen;
    bool together = true;  // the rows of each part already next to each other
    for (std::size_t r = 0; r < rows.size() && together; ++r) {
        const bool sameAsLast = r > 0 &&
                                ItemBlock(rows[r].itemid) == ItemBlock(rows[r - 1].itemid) &&
                                rows[r].condition == rows[r - 1].condition;
        together = sameAsLast ||
                   firstSeen.try_emplace({ItemBlock(rows[r].itemid), rows[r].condition}, r).second;
    }
    if (together) return;
    firstSeen.clear();
    std::vector<std::size_t> group(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        group[r] =
            firstSeen.try_emplace({ItemBlock(rows[r].itemid), rows[r].condition}, firstSeen.size())
                .first->second;
    std::vector<std::size_t> order(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) order[r] = r;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return group[a] < group[b]; });
    std::vector<HistoryRow> grouped;
    grouped.reserve(rows.size());
    for (const std::size_t r : order) grouped.push_back(std::move(rows[r]));
    rows = std::move(grouped);
}

}  // namespace

long long ChangeRecorder::Write(bool always) {
    if (!Active() || (rows_.empty() && !always)) return 0;
    GroupByPart(rows_);
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
    const std::vector<StoredPart> parts = PackParts(rows_);
    ChangeSetHasher chain(set_);
    for (const StoredPart &part : parts)
        chain.AddPart(part.itemBlock, *part.condition, part.changes);
    set_.hash = chain.Finish();
    InsertChangeSet(connection_, set_);
    InsertParts(connection_, set_.id, parts);
    head = ChainHead{set_.id, set_.hash, digest, tableRows};
    rows_.clear();
    return set_.id;
}

}  // namespace history
}  // namespace generator
