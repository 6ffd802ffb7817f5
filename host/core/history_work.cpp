// The history of the standard table, read on the station's own database.
#include "history_work.h"

#include <map>
#include <stdexcept>

#include "generator/series_standard.h"
#include "platform/value_text.h"
#include "series_station.h"
#include "station.h"

namespace stdhost {
namespace {

bool Digits(const std::string &text, std::size_t at, std::size_t n, int &value) {
    value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Connects to the station's database; `kept` false when it has no history.
int ConnectHistory(const std::string &stationOption, SeriesStation &s, bool &kept) {
    if (int rc = ConnectSeriesStation(stationOption, s); rc != kExitOk) return rc;
    try {
        kept = generator::HistoryPresent(s.connection);
    } catch (const stationdb::DatabaseError &e) {
        return DatabaseFailure("looking for the history tables", e);
    }
    return kExitOk;
}

// The condition the request names, in UTF-8: --condition, or the
// condition of --series. kExitUsage after a complaint for a brand or series
// without a GBK form.
int ResolveCondition(HistoryRequest &request) {
    if (!request.series) return kExitOk;
    std::string brand, series;
    if (!ArgumentToGbk(request.series->first, "BRAND", brand) ||
        !ArgumentToGbk(request.series->second, "SERIES", series))
        return kExitUsage;
    request.filter.condition = ToUtf8(generator::SeriesCondition(brand, series));
    return kExitOk;
}

// Runs `read`, reporting a database error or a damaged history.
template <class Read>
int Reading(const char *what, Read read) {
    try {
        read();
    } catch (const stationdb::DatabaseError &e) {
        return DatabaseFailure(what, e);
    } catch (const std::runtime_error &e) {
        Complain(std::string(what) + " failed: " + e.what());
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

std::optional<std::string> UtcTimeOf(const std::string &text, bool endOfPeriod) {
    int year, month, day, hour = endOfPeriod ? 23 : 0, minute = endOfPeriod ? 59 : 0,
                          second = endOfPeriod ? 59 : 0;
    const std::size_t n = text.size();
    if (n != 10 && n != 16 && n != 19) return std::nullopt;
    if (!Digits(text, 0, 4, year) || text[4] != '-' || !Digits(text, 5, 2, month) ||
        text[7] != '-' || !Digits(text, 8, 2, day))
        return std::nullopt;
    if (n >= 16 && (text[10] != ' ' || !Digits(text, 11, 2, hour) || text[13] != ':' ||
                    !Digits(text, 14, 2, minute)))
        return std::nullopt;
    if (n == 19 && (text[16] != ':' || !Digits(text, 17, 2, second))) return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return std::nullopt;
    // The text is in the stored form already; what it leaves out is added.
    if (n == 10) return text + (endOfPeriod ? " 23:59:59" : " 00:00:00");
    if (n == 16) return text + (endOfPeriod ? ":59" : ":00");
    return text;
}

namespace {

// The item and parameter names of the station's catalogue, for the rows the
// history keeps without names (every row but a deleted one). Best effort:
// a catalogue that cannot be read leaves the names empty.
class CatalogueNames {
  public:
    explicit CatalogueNames(stationdb::Connection &connection) {
        try {
            stationdb::Statement items(connection, "select ItemId, ItemName from tb_id_item");
            items.Execute();
            while (items.Fetch()) items_.emplace(platform::IntegerOf(items.View(1)), items.Utf8(2));
            stationdb::Statement params(connection,
                                        "select ItemId, ParamId, ParamName from tb_id_param");
            params.Execute();
            while (params.Fetch())
                params_.emplace(std::make_pair(platform::IntegerOf(params.View(1)),
                                               platform::IntegerOf(params.View(2))),
                                params.Utf8(3));
        } catch (const stationdb::DatabaseError &) {
            items_.clear();
            params_.clear();
        }
    }
    void Fill(int32_t itemid, int32_t paramid, std::string &itemname,
              std::string &paramname) const {
        if (itemname.empty()) {
            const auto found = items_.find(itemid);
            if (found != items_.end()) itemname = found->second;
        }
        if (paramname.empty()) {
            const auto found = params_.find({itemid, paramid});
            if (found != params_.end()) paramname = found->second;
        }
    }
    void Fill(generator::ChangeSet &set) const {
        for (generator::HistoryRow &row : set.rows)
            Fill(row.itemid, row.paramid, row.itemname, row.paramname);
    }

  private:
    std::map<int32_t, std::string> items_;
    std::map<std::pair<int32_t, int32_t>, std::string> params_;
};

}  // namespace

HistoryList ListHistory(const std::string &stationOption, HistoryRequest request) {
    HistoryList out;
    if ((out.exitCode = ResolveCondition(request)) != kExitOk) return out;
    out.filtered = generator::HasRowFilter(request.filter);
    SeriesStation s;
    if ((out.exitCode = ConnectHistory(stationOption, s, out.kept)) != kExitOk || !out.kept)
        return out;
    out.exitCode = Reading("reading the history", [&] {
        out.sets = generator::ReadHistory(s.connection, request.filter);
    });
    const CatalogueNames names(s.connection);
    for (generator::ChangeSet &set : out.sets) names.Fill(set);
    return out;
}

HistoryShow ShowChangeSet(const std::string &stationOption, long long id) {
    HistoryShow out;
    SeriesStation s;
    if ((out.exitCode = ConnectHistory(stationOption, s, out.kept)) != kExitOk) return out;
    if (!out.kept) {
        Complain(kNoHistory);
        out.exitCode = kExitUnknown;
        return out;
    }
    std::optional<generator::ChangeSet> set;
    out.exitCode = Reading("reading the change set",
                           [&] { set = generator::ReadChangeSet(s.connection, id); });
    if (out.exitCode != kExitOk) return out;
    if (!set) {
        Complain("the history has no change set " + std::to_string(id));
        out.exitCode = kExitUnknown;
        return out;
    }
    out.set = std::move(*set);
    CatalogueNames(s.connection).Fill(out.set);
    return out;
}

HistoryAsOf ReadLimitsAsOf(const std::string &stationOption, const std::string &whenUtc,
                           int32_t itemid, const HistoryRequest &request) {
    HistoryAsOf out;
    HistoryRequest resolved = request;
    if ((out.exitCode = ResolveCondition(resolved)) != kExitOk) return out;
    SeriesStation s;
    if ((out.exitCode = ConnectHistory(stationOption, s, out.kept)) != kExitOk || !out.kept)
        return out;
    out.exitCode = Reading("reading the history", [&] {
        out.limits = generator::LimitsAsOf(s.connection, whenUtc, itemid,
                                           resolved.filter.condition.value_or(""));
    });
    const CatalogueNames names(s.connection);
    for (generator::LimitInForce &l : out.limits.limits)
        names.Fill(itemid, l.paramid, l.itemname, l.paramname);
    if (const auto param = resolved.filter.paramid) {
        auto &limits = out.limits.limits;
        std::erase_if(limits,
                      [&](const generator::LimitInForce &l) { return l.paramid != *param; });
    }
    return out;
}

}  // namespace stdhost
