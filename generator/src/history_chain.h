#pragma once
// The history's canonical forms (what is hashed, in what order), the table
// digest, the head of the chain and the writer of change sets: shared by
// the write paths, the rollback and the verification, so that the three can
// never disagree on what a change set's hash covers.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generator/limit_history.h"
#include "platform/sha256.h"

namespace stationdb {
class Connection;
}

namespace generator::history {

// The previous hash of the first change set.
inline const std::string kNoHash(64, '0');

// The digest of a table: the sum modulo 2^256 of its rows' hashes, each read
// as a big-endian number. A change updates it from the rows it touched
// alone; equal tables (as multisets of rows) have equal digests.
class TableDigest {
  public:
    static std::optional<TableDigest> FromHex(std::string_view hex);
    void Add(const platform::Sha256Digest &rowHash);
    void Subtract(const platform::Sha256Digest &rowHash);
    std::string Hex() const;
    bool operator==(const TableDigest &other) const = default;

  private:
    std::array<std::uint8_t, 32> value_{};
};

// The hash of one row as the digest counts it: what a line judges by
// (itemid, condition, paramid, hvalue, lvalue), each field length-prefixed.
platform::Sha256Digest RowHash(platform::Sha256 &hasher, std::int32_t itemid,
                               std::string_view condition, std::int32_t paramid,
                               std::string_view hvalue, std::string_view lvalue);

// The chained hash of a change set: SHA-256 over its prevHash, every other
// field except `hash` and `rows` (id, changedAt, operator, program, kind,
// scope, comment, reverts, rowCount, tableRows, tableDigest), then each
// stored part in order (item block, condition and its changes text as
// stored): any edit of what is stored changes it.
class ChangeSetHasher {
  public:
    explicit ChangeSetHasher(const ChangeSet &header);
    void AddPart(std::int32_t itemBlock, std::string_view condition, std::string_view changes);
    std::string Finish();  // lowercase hex

  private:
    void Field(std::string_view text);
    void Field(long long number);
    platform::Sha256 hash_;
};

// The end of the chain as the next change set continues it.
struct ChainHead {
    long long id = 0;  // 0: no change set yet
    std::string hash = kNoHash;
    TableDigest digest;
    long long tableRows = 0;
};

// The last change set, or nullopt when the database has no history tables.
// Inside a write, call it after the table's write lock. Throws
// stationdb::DatabaseError; std::runtime_error for a stored digest that is
// not 64 hex digits (a history edited by hand).
std::optional<ChainHead> ReadChainHead(stationdb::Connection &connection);

// Every row of tb_id_standard as a history row that inserts it (`deleting`
// false: the values are `after`) or deletes it (`before`). Throws
// stationdb::DatabaseError.
std::vector<HistoryRow> ReadTableRows(stationdb::Connection &connection, bool deleting);

// The time now in UTC, "YYYY-MM-DD HH:MM:SS".
std::string UtcNow();

// Collects the changed rows of one write and records them as one change set
// in the caller's transaction. Construct after the table's write lock.
class ChangeRecorder {
  public:
    ChangeRecorder(stationdb::Connection &connection, ChangeKind kind, const std::string &scope,
                   const ChangeOrigin &origin, long long reverts = 0);
    // False when the database has no history: Add and Write then do nothing.
    bool Active() const { return head_.has_value(); }
    // A row whose limits are the same before and after is not a change.
    void Add(HistoryRow row);
    std::size_t Size() const { return rows_.size(); }
    void Reserve(std::size_t rows) { rows_.reserve(rows); }
    // Writes the change set and its rows; nothing when no row changed unless
    // `always`. Returns the change set's id, 0 when nothing was written.
    long long Write(bool always = false);

  private:
    stationdb::Connection &connection_;
    std::optional<ChainHead> head_;
    ChangeSet set_;
    std::vector<HistoryRow> rows_;
};

}  // namespace generator::history
