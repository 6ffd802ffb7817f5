// The verification of the history: the chain of hashes, the replay of the
// recorded rows against each stored digest, and the table against the
// replay. One read of the change sets, one of their rows (streamed), one of
// the table.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "generator/history_check.h"
#include "history_chain.h"
#include "history_check_rows.h"
#include "history_replay.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace generator {

std::string LimitKeyText(const LimitKey &key) {
    return "item " + std::to_string(key.itemid) + " parameter " + std::to_string(key.paramid) +
           " condition '" + key.condition + "'";
}

const char *FindingKindName(FindingKind kind) {
    switch (kind) {
        case FindingKind::kMissingChangeSets:
            return "missing-change-sets";
        case FindingKind::kEditedChangeSet:
            return "edited-change-set";
        case FindingKind::kBrokenLink:
            return "broken-link";
        case FindingKind::kMalformedField:
            return "malformed-field";
        case FindingKind::kChangedBefore:
            return "changed-before";
        case FindingKind::kDigestMismatch:
            return "digest-mismatch";
        case FindingKind::kRowCountMismatch:
            return "row-count-mismatch";
        case FindingKind::kAddedOutside:
            return "added-outside";
        case FindingKind::kRemovedOutside:
            return "removed-outside";
        case FindingKind::kLimitsChanged:
            return "limits-changed";
    }
    return "unknown";
}

namespace {

using history::KeyView;

// Row findings kept in the report; more are counted in the text of the last.
constexpr std::size_t kMaxRowFindings = 1000;
// Missing ids listed one by one.
constexpr std::size_t kMaxMissingIds = 100;

// The programs write lowercase hex only.
bool IsHex64(const std::string &text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::string SetName(long long id) {
    return "change set " + std::to_string(id);
}

std::string LimitsText(const std::optional<LimitValues> &limits) {
    return limits ? "upper '" + limits->hvalue + "' lower '" + limits->lvalue + "'" : "no row";
}

struct Header {
    ChangeSet set;
    bool kindKnown = true;
    std::string kindText;
};

// The rows of the table that the replay does not hold, and the replay's
// rows the table lacks, a pair under one key as changed limits.
class TableDifferences {
  public:
    void Found(const KeyView &key, std::string_view hvalue, std::string_view lvalue) {
        unmatched_.push_back({LimitKey{key.itemid, std::string(key.condition), key.paramid},
                              LimitValues{std::string(hvalue), std::string(lvalue)}});
    }
    const std::vector<std::pair<LimitKey, LimitValues>> &Unmatched() const { return unmatched_; }
    std::vector<VerifyFinding> Findings(history::Replay &replay);

  private:
    std::vector<std::pair<LimitKey, LimitValues>> unmatched_;
};

std::vector<VerifyFinding> TableDifferences::Findings(history::Replay &replay) {
    std::vector<VerifyFinding> out;
    for (auto &[key, found] : unmatched_) {
        VerifyFinding f{FindingKind::kAddedOutside, 0, {}, key, {}, found, {}};
        for (auto [it, last] = replay.Rows().equal_range(key); it != last; ++it)
            if (!it->second.matched) {
                it->second.matched = true;
                f.kind = FindingKind::kLimitsChanged;
                f.expected = it->second.limits;
                break;
            }
        f.text = LimitKeyText(key) +
                 (f.kind == FindingKind::kAddedOutside
                      ? " was added outside the programs: "
                      : " has limits the history did not write: expected " +
                            LimitsText(f.expected) + ", found ") +
                 LimitsText(f.found);
        out.push_back(std::move(f));
    }
    for (const auto &[key, h] : replay.Rows())
        if (!h.matched) {
            VerifyFinding f{FindingKind::kRemovedOutside, 0, {}, key, h.limits, {}, {}};
            f.text = LimitKeyText(key) + " was removed outside the programs: expected " +
                     LimitsText(h.limits);
            out.push_back(std::move(f));
        }
    std::sort(out.begin(), out.end(), [](const VerifyFinding &a, const VerifyFinding &b) {
        return std::tie(a.key->itemid, a.key->condition, a.key->paramid, a.kind) <
               std::tie(b.key->itemid, b.key->condition, b.key->paramid, b.kind);
    });
    return out;
}

class Verifier {
  public:
    explicit Verifier(VerifyReport &report) : report_(report) {}
    void ReadHeaders(stationdb::Connection &connection);
    void ReadRows(stationdb::Connection &connection);
    void CompareTable(stationdb::Connection &connection);

  private:
    void Begin(std::size_t index);
    void End();
    void Replay(const HistoryRow &row, long long setId);
    void Missing(long long from, long long to);
    history::TableDigest DigestFromReplay(const TableDifferences &differences);
    void Add(VerifyFinding finding);
    void AddRowFinding(VerifyFinding finding);

    VerifyReport &report_;
    std::vector<Header> headers_;
    std::optional<std::size_t> current_;  // the change set being read
    std::optional<history::ChangeSetHasher> hasher_;
    long long currentRows_ = 0;
    long long lastOrphan_ = 0;
    history::Replay replay_;
    history::TableDigest digest_;
    bool aligned_ = true;  // digest_ is the digest of the replay's rows
    long long count_ = 0;
    platform::Sha256 sha_;
    std::size_t rowFindings_ = 0;
};

void Verifier::Add(VerifyFinding finding) {
    report_.findings.push_back(std::move(finding));
}

void Verifier::AddRowFinding(VerifyFinding finding) {
    if (++rowFindings_ <= kMaxRowFindings)
        Add(std::move(finding));
    else
        ++report_.moreFindings;
}

void Verifier::Missing(long long from, long long to) {
    VerifyFinding f{FindingKind::kMissingChangeSets, to + 1, {}, {}, {}, {}, {}};
    for (long long id = from; id <= to && f.missing.size() < kMaxMissingIds; ++id)
        f.missing.push_back(id);
    f.text = from == to ? SetName(from) + " is missing: it was deleted"
                        : "change sets " + std::to_string(from) + " to " + std::to_string(to) +
                              " are missing: they were deleted";
    Add(std::move(f));
}

void Verifier::ReadHeaders(stationdb::Connection &connection) {
    stationdb::Statement st(connection, history::kChangeSetsById, stationdb::Statement::Direct{});
    st.Execute();
    while (st.Fetch()) {
        Header h;
        h.kindKnown = history::ReadChangeSet(st, h.set, h.kindText);
        headers_.push_back(std::move(h));
    }
    report_.changeSets = static_cast<long long>(headers_.size());
    if (!headers_.empty()) {
        replay_.Rows().reserve(
            static_cast<std::size_t>(std::clamp(headers_.back().set.tableRows, 0LL, 10'000'000LL)));
        report_.lastId = headers_.back().set.id;
        report_.lastDigest = headers_.back().set.tableDigest;
        report_.lastHash = headers_.back().set.hash;
    }
}

void Verifier::Begin(std::size_t index) {
    const ChangeSet &set = headers_[index].set;
    const long long previousId = index == 0 ? 0 : headers_[index - 1].set.id;
    if (set.id > previousId + 1) Missing(previousId + 1, set.id - 1);
    current_ = index;
    currentRows_ = 0;
    hasher_.emplace(set);
}

void Verifier::End() {
    const Header &h = headers_[*current_];
    const ChangeSet &set = h.set;
    const std::string hash = hasher_->Finish();
    auto finding = [&](FindingKind kind, const std::string &text) {
        Add({kind, set.id, {}, {}, {}, {}, SetName(set.id) + text});
    };
    if (!h.kindKnown)
        finding(FindingKind::kMalformedField, ": its kind '" + h.kindText + "' is not one of ours");
    if (!IsHex64(set.hash))
        finding(FindingKind::kMalformedField, ": its hash is not 64 hex digits");
    else if (h.kindKnown && hash != set.hash)
        finding(FindingKind::kEditedChangeSet,
                " was edited: its content no longer gives its stored hash");
    const bool follows =
        *current_ == 0 ? set.id == 1 : headers_[*current_ - 1].set.id == set.id - 1;
    const std::string expectedPrev =
        *current_ == 0 ? history::kNoHash : headers_[*current_ - 1].set.hash;
    if (!IsHex64(set.prevHash))
        finding(FindingKind::kMalformedField, ": its previous hash is not 64 hex digits");
    else if (follows && set.prevHash != expectedPrev)
        finding(FindingKind::kBrokenLink,
                ": its previous hash is not the hash of " +
                    (set.id == 1 ? std::string("the chain's start") : SetName(set.id - 1)));
    const std::optional<history::TableDigest> stored =
        history::TableDigest::FromHex(set.tableDigest);
    if (!stored || !IsHex64(set.tableDigest)) {
        finding(FindingKind::kMalformedField, ": its table digest is not 64 hex digits");
    } else if (!(*stored == digest_)) {
        finding(FindingKind::kDigestMismatch,
                ": its table digest is not the digest of the table "
                "its rows and the earlier change sets give");
        digest_ = *stored;  // each mismatch is reported where it arises
        aligned_ = false;
    }
    if (set.tableRows != count_) {
        finding(FindingKind::kRowCountMismatch,
                ": it says the table held " + std::to_string(set.tableRows) +
                    " rows, the history gives " + std::to_string(count_));
        count_ = set.tableRows;
    }
    current_.reset();
    hasher_.reset();
}

void Verifier::Replay(const HistoryRow &row, long long setId) {
    const KeyView key{row.itemid, row.condition, row.paramid};
    if (row.before) {
        std::optional<LimitValues> held;
        if (!replay_.Remove(key, *row.before, held)) {
            aligned_ = false;
            VerifyFinding f{FindingKind::kChangedBefore, setId, {}, {}, held, row.before, {}};
            f.key = LimitKey{row.itemid, row.condition, row.paramid};
            f.text = LimitKeyText(*f.key) + " was changed outside the programs before " +
                     SetName(setId) + ": the history gives " + LimitsText(held) +
                     ", the change set found " + LimitsText(row.before);
            AddRowFinding(std::move(f));
        }
        digest_.Subtract(history::RowHash(sha_, row.itemid, row.condition, row.paramid,
                                          row.before->hvalue, row.before->lvalue));
        --count_;
    }
    if (row.after) {
        replay_.Add(key, *row.after);
        digest_.Add(history::RowHash(sha_, row.itemid, row.condition, row.paramid,
                                     row.after->hvalue, row.after->lvalue));
        ++count_;
    }
}

void Verifier::ReadRows(stationdb::Connection &connection) {
    std::size_t next = 0;
    // The hash covers the parts as stored; a part that does not unpack is
    // left out of the replay.
    ReadHistoryRows(
        connection, {},
        [&](long long setId, HistoryRow &&row) {
            ++report_.historyRows;
            if (current_) ++currentRows_;
            Replay(row, current_ ? headers_[*current_].set.id : setId);
        },
        {},
        [&](long long setId, std::int32_t block, const std::string &condition,
            const std::string &changes) {
            if (!current_ || headers_[*current_].set.id != setId) {
                if (current_) End();
                for (; next < headers_.size() && headers_[next].set.id < setId; ++next) {
                    Begin(next);
                    End();
                }
                if (next < headers_.size() && headers_[next].set.id == setId) {
                    Begin(next++);
                } else {
                    // The rows of a deleted change set: still replayed, since
                    // the later digests count them. A gap before a later
                    // change set names it; one after the last does not.
                    lastOrphan_ = std::max(lastOrphan_, setId);
                }
            }
            if (current_) hasher_->AddPart(block, condition, changes);
        });
    if (current_) End();
    for (; next < headers_.size(); ++next) {
        Begin(next);
        End();
    }
    if (lastOrphan_ > report_.lastId) Missing(report_.lastId + 1, lastOrphan_);
}

// The table's digest without hashing its rows, where the running digest is
// the replay's: the replay's, plus the table's rows beyond it, less the
// replay's rows the table lacks.
history::TableDigest Verifier::DigestFromReplay(const TableDifferences &differences) {
    history::TableDigest table = digest_;
    for (const auto &[key, found] : differences.Unmatched())
        table.Add(history::RowHash(sha_, key.itemid, key.condition, key.paramid, found.hvalue,
                                   found.lvalue));
    if (report_.tableRows - static_cast<long long>(differences.Unmatched().size()) ==
        static_cast<long long>(replay_.Size()))
        return table;  // every row of the replay was found
    for (const auto &[key, h] : replay_.Rows())
        if (!h.matched)
            table.Subtract(history::RowHash(sha_, key.itemid, key.condition, key.paramid,
                                            h.limits.hvalue, h.limits.lvalue));
    return table;
}

void Verifier::CompareTable(stationdb::Connection &connection) {
    stationdb::Statement st(connection,
                            "select itemid, condition, paramid, hvalue, lvalue from tb_id_standard",
                            stationdb::Statement::Direct{});
    st.Execute();
    history::TableDigest table;
    TableDifferences differences;
    while (st.Fetch()) {
        const int32_t itemid = platform::IntegerOf(st.View(1));
        const std::string_view condition = st.View(2);
        const int32_t paramid = platform::IntegerOf(st.View(3));
        const std::string_view h = st.View(4), l = st.View(5);
        if (!aligned_) table.Add(history::RowHash(sha_, itemid, condition, paramid, h, l));
        ++report_.tableRows;
        const KeyView key{itemid, condition, paramid};
        if (!replay_.Match(key, h, l)) differences.Found(key, h, l);
    }
    if (aligned_) table = DigestFromReplay(differences);
    report_.tableDigest = table.Hex();
    if (differences.Unmatched().empty() &&
        report_.tableRows == static_cast<long long>(replay_.Size()))
        return;
    for (VerifyFinding &f : differences.Findings(replay_)) AddRowFinding(std::move(f));
}

}  // namespace

VerifyReport VerifyHistory(stationdb::Connection &connection) {
    VerifyReport report;
    try {
        report.noHistory = !HistoryPresent(connection);
        if (report.noHistory) {
            report.error = "the station keeps no history of tb_id_standard";
            return report;
        }
        Verifier verifier(report);
        verifier.ReadHeaders(connection);
        verifier.ReadRows(connection);
        verifier.CompareTable(connection);
    } catch (const std::exception &e) {
        report.outcome = VerifyOutcome::kError;
        report.error = e.what();
        report.findings.clear();
        return report;
    }
    report.outcome =
        report.findings.empty() ? VerifyOutcome::kConsistent : VerifyOutcome::kDifferences;
    return report;
}

}  // namespace generator
