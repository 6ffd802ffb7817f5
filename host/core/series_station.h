#pragma once
// A station opened for the series editor's work from the command line: the
// station's environment, its database and an editor session over them, as
// the editor plug-in has them when it opens.
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bridges/plinth_bridge.h"
#include "generator/editor_session.h"
#include "generator/messages.h"
#include "generator/series_key.h"
#include "station.h"
#include "stationdb/stationdb.h"

namespace stdhost {

// The editor's messages on standard error, in UTF-8; questions answer no.
class TerminalMessages : public generator::MessageSink {
  public:
    void Show(const generator::Message &message) override;
    bool Confirm(const generator::Message &message) override;
};

struct SeriesStation {
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    stationdb::Connection connection;
    generator::EditorState state;
    TerminalMessages messages;
    std::unique_ptr<generator::EditorSession> session;
};

enum class FullModule { kSkip, kLoad };

// Enters the station and connects to its database. kExitOk, or
// kExitNoPlugin / kExitNoDatabase after a complaint.
int ConnectSeriesStation(const std::string &stationOption, SeriesStation &s);

// Enters the station, connects to its database and opens an editor session
// (with the full standard module when asked), then loads the catalogue.
// kExitOk, or kExitNoPlugin / kExitNoDatabase / kExitFailure, or
// kExitBadFile (a damaged mask, an unusable directory: CheckSeriesOpen) after
// a complaint.
int OpenSeriesStation(const std::string &stationOption, SeriesStation &s,
                      FullModule module = FullModule::kSkip);

// GBK from a UTF-8 argument; false (after a complaint naming `what`) when it
// has no GBK form.
bool ArgumentToGbk(const std::string &utf8, const std::string &what, std::string &gbk);
std::string ToUtf8(const std::string &gbk);

// The series of tb_type_vehicle; rows whose brand or series has no GBK form
// are left out with one warning on standard error naming them. Database
// errors propagate.
std::vector<generator::SeriesId> ListedSeries(stationdb::Connection &connection);
std::vector<generator::SeriesId> StationSeries(SeriesStation &s);

// kExitOk when tb_type_vehicle lists the brand and series (trailing blanks
// ignored), else kExitUnknown after a complaint. Database errors propagate.
int CheckSeriesExists(SeriesStation &s, const std::string &brandGbk, const std::string &seriesGbk);

// Reports a database error of `action` and gives kExitFailure.
int DatabaseFailure(const std::string &action, const stationdb::DatabaseError &error);

}  // namespace stdhost
