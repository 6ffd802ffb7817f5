#include "series_station.h"

#include "generator/series_transfer.h"
#include "platform/gbk.h"
#include "platform/value_text.h"

namespace stdhost {

void TerminalMessages::Show(const generator::Message &message) {
    Complain(platform::GbkToUtf8Lossy(message.text));
}

bool TerminalMessages::Confirm(const generator::Message &message) {
    Show(message);
    return false;
}

std::string ToUtf8(const std::string &gbk) {
    return platform::GbkToUtf8Lossy(gbk);
}

bool ArgumentToGbk(const std::string &utf8, const std::string &what, std::string &gbk) {
    if (platform::Utf8ToGbk(utf8, gbk)) return true;
    Complain(what + " \"" + utf8 + "\" has no GBK form");
    return false;
}

int ConnectSeriesStation(const std::string &stationOption, SeriesStation &s) {
    if (int rc = EnterStation(stationOption, s.station, s.plinth, s.settings); rc != kExitOk)
        return rc;
    try {
        ConnectStation(s.connection, s.settings.ConnectString());
    } catch (const stationdb::DatabaseError &e) {
        Complain("cannot reach the station's database (data source " + s.settings.dataSource +
                 "): " + e.what());
        return kExitNoDatabase;
    }
    return kExitOk;
}

int OpenSeriesStation(const std::string &stationOption, SeriesStation &s, FullModule module) {
    if (int rc = ConnectSeriesStation(stationOption, s); rc != kExitOk) return rc;
    s.session = std::make_unique<generator::EditorSession>(
        s.state, [&s] { return s.connection.IsOpen() ? &s.connection : nullptr; }, s.messages);
    const generator::OpenReport report = s.session->Open(
        reinterpret_cast<const void *>(&OpenSeriesStation), module == FullModule::kLoad);
    if (int rc = CheckSeriesOpen(report, module == FullModule::kLoad); rc != kExitOk) return rc;
    try {
        s.session->LoadCatalogue();
    } catch (const stationdb::DatabaseError &e) {
        return DatabaseFailure("reading the catalogue", e);
    }
    return kExitOk;
}

std::vector<generator::SeriesId> StationSeries(SeriesStation &s) {
    return ListedSeries(s.connection);
}

std::vector<generator::SeriesId> ListedSeries(stationdb::Connection &connection) {
    generator::SeriesList list = generator::ReadSeriesList(connection);
    if (!list.skipped.empty()) {
        std::string names;
        for (const std::string &name : list.skipped) names += (names.empty() ? "" : ", ") + name;
        Complain("warning: " + std::to_string(list.skipped.size()) +
                 " series of tb_type_vehicle skipped, their brand or series has no GBK form "
                 "(brand/series): " +
                 names);
    }
    return std::move(list.series);
}

int CheckSeriesExists(SeriesStation &s, const std::string &brandGbk, const std::string &seriesGbk) {
    const std::string brand(platform::TrimBlanks(brandGbk)),
        series(platform::TrimBlanks(seriesGbk));
    bool brandKnown = false;
    for (const generator::SeriesId &id : StationSeries(s)) {
        if (platform::TrimBlanks(id.brand) != brand) continue;
        brandKnown = true;
        if (platform::TrimBlanks(id.series) == series) return kExitOk;
    }
    Complain(brandKnown ? "brand " + ToUtf8(brand) + " has no series " + ToUtf8(series)
                        : "unknown brand " + ToUtf8(brand) + " (no series in tb_type_vehicle)");
    return kExitUnknown;
}

int DatabaseFailure(const std::string &action, const stationdb::DatabaseError &error) {
    Complain(action + " failed: " + error.what());
    return kExitFailure;
}

}  // namespace stdhost
