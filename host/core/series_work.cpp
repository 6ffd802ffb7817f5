// Brands, series, a series' catalogue and generating a series, on the
// station's own database as the editor does them.
#include "series_work.h"

#include <algorithm>

#include "generator/series_key.h"
#include "generator/series_standard.h"
#include "plinth.h"
#include "series_station.h"
#include "station.h"
#include "vehicle_file.h"

namespace stdhost {
namespace {

// Opens the station for one series and loads its stored limits.
int EnterSeries(const std::string &stationOption, SeriesStation &s, const std::string &brandUtf8,
                const std::string &seriesUtf8, std::string &brand, std::string &series,
                FullModule module) {
    if (!ArgumentToGbk(brandUtf8, "BRAND", brand) || !ArgumentToGbk(seriesUtf8, "SERIES", series))
        return kExitUsage;
    if (int rc = OpenSeriesStation(stationOption, s, module); rc != kExitOk) return rc;
    try {
        if (int rc = CheckSeriesExists(s, brand, series); rc != kExitOk) return rc;
        s.session->LoadSeries(brand, series);
    } catch (const stationdb::DatabaseError &e) {
        return DatabaseFailure("loading the series", e);
    }
    return kExitOk;
}

// Computes the default standard of the vehicle file and applies it to the
// loaded limits; `applied` counts the limits it gave.
int ApplyDefault(SeriesStation &s, const std::string &vehicleFile, std::size_t &applied) {
    generator::VehicleConditions conditions;
    for (const auto &[id, utf8] : LoadDefaultVehicleFile(vehicleFile, "--default")) {
        const auto at = std::find(generator::kVehicleConditionIds.begin(),
                                  generator::kVehicleConditionIds.end(), id);
        if (at == generator::kVehicleConditionIds.end()) continue;
        if (!ArgumentToGbk(
                utf8, "parameter " + std::to_string(id),
                conditions[static_cast<std::size_t>(at - generator::kVehicleConditionIds.begin())]))
            return kExitBadFile;
    }
    if (s.session->ComputeDefault(conditions) != generator::DefaultStandardResult::kComputed)
        return s.session->FullModuleLoaded() ? kExitFailure : kExitNoPlugin;
    // A module without a standard table answers nothing: every limit would
    // stay as it was, which is no default standard.
    StdHead head{};
    if (s.session->Plinth().ParseStdHead(s.state.buffers.standard.data(), &head) <= 0 ||
        head.count == 0) {
        Complain("the full standard module " + s.session->FullModulePath() +
                 " answered no limit for the vehicle of " + vehicleFile +
                 " (is its standard table empty?); nothing was written");
        return kExitNoLimits;
    }
    applied = s.session->ApplyDefault().rows.size();
    return kExitOk;
}

// Says when two decimals changed a limit the user gave.
void NoteRounding(std::vector<std::string> &notes, const std::string &where, const char *which,
                  const std::string &given, const generator::LimitInput &limit) {
    if (!limit.rounded) return;
    notes.push_back("note: " + where + ": the " + which + " limit " + given + " is stored as " +
                    limit.stored + " (two decimals)");
}

// Puts the edits into the loaded limits; kExitUnknown for a parameter the
// catalogue lacks.
int ApplyEdits(SeriesStation &s, const std::vector<LimitEdit> &edits,
               std::vector<std::string> &notes) {
    for (const LimitEdit &edit : edits) {
        bool found = false;
        s.state.catalogue.ForEachParam([&](const auto &, const auto &, auto &p, const auto &) {
            if (p.paramid != edit.paramid) return;
            p.hvalue = edit.upper.value;
            p.lvalue = edit.lower.value;
            found = true;
        });
        if (!found) {
            Complain("parameter " + std::to_string(edit.paramid) + " is not in the catalogue");
            return kExitUnknown;
        }
        const std::string where = "--set parameter " + std::to_string(edit.paramid);
        NoteRounding(notes, where, "upper", edit.upperText, edit.upper);
        NoteRounding(notes, where, "lower", edit.lowerText, edit.lower);
    }
    return kExitOk;
}

}  // namespace

BrandList ListBrands(const std::string &stationOption, const std::string &prefixUtf8) {
    BrandList out;
    std::string prefix;
    if (!ArgumentToGbk(prefixUtf8, "PREFIX", prefix)) return {kExitUsage, {}, {}};
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return {rc, {}, {}};
    const generator::BrandQuery query = s.session->Brands(prefix);
    if (query.result != 1) {
        Complain("the brand query on tb_type_index failed: " + ToUtf8(query.error));
        return {kExitFailure, {}, {}};
    }
    out.prefix = prefixUtf8;
    for (const auto &b : query.brands) out.brands.push_back(ToUtf8(b));
    return out;
}

SeriesNames ListSeries(const std::string &stationOption, const std::string &brandUtf8) {
    std::string brand;
    if (!ArgumentToGbk(brandUtf8, "BRAND", brand)) return {kExitUsage, {}, {}};
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return {rc, {}, {}};
    // A table that cannot be read is a database fault, not a brand without series.
    try {
        generator::ReadSeriesList(s.connection);
    } catch (const stationdb::DatabaseError &e) {
        return {DatabaseFailure("reading the series of tb_type_vehicle", e), {}, {}};
    }
    const std::vector<std::string> series = s.session->Series(brand);
    if (series.empty()) {
        Complain("brand " + brandUtf8 + " has no series in tb_type_vehicle");
        return {kExitUnknown, {}, {}};
    }
    SeriesNames out{kExitOk, brandUtf8, {}};
    for (const auto &name : series) out.series.push_back(ToUtf8(name));
    return out;
}

SeriesView ShowSeries(const std::string &stationOption, const std::string &brandUtf8,
                      const std::string &seriesUtf8) {
    SeriesStation s;
    std::string brand, series;
    if (int rc =
            EnterSeries(stationOption, s, brandUtf8, seriesUtf8, brand, series, FullModule::kSkip);
        rc != kExitOk)
        return {rc, {}, {}};
    SeriesView out{kExitOk, ToUtf8(generator::SeriesCondition(brand, series)), {}};
    s.state.catalogue.ForEachParam([&](const auto &d, const auto &i, const auto &p, const auto &) {
        out.params.push_back({d.devid, ToUtf8(d.devname), i.itemid, ToUtf8(i.itemname), p.paramid,
                              ToUtf8(p.paramname), p.hvalue, p.lvalue,
                              s.state.mask.IsMasked(p.paramid)});
    });
    return out;
}

SeriesGeneration GenerateSeries(const std::string &stationOption, const GenerateRequest &request) {
    SeriesGeneration out;
    SeriesStation s;
    std::string brand, series;
    out.exitCode = EnterSeries(stationOption, s, request.brand, request.series, brand, series,
                               request.vehicle.empty() ? FullModule::kSkip : FullModule::kLoad);
    if (out.exitCode != kExitOk) return out;
    if (!request.vehicle.empty()) {
        out.withDefault = true;
        try {
            out.exitCode = ApplyDefault(s, request.vehicle, out.fromDefault);
        } catch (const VehicleFileError &e) {
            Complain(e.what());
            out.exitCode = kExitBadFile;
        }
        if (out.exitCode != kExitOk) return out;
        out.fullModulePath = s.session->FullModulePath();
    }
    out.exitCode = ApplyEdits(s, request.edits, out.notes);
    if (out.exitCode != kExitOk) return out;
    generator::GenerationResult result;
    try {
        result = s.session->Generate(brand, series, request.origin);
    } catch (const std::invalid_argument &refusal) {
        out.error = ToUtf8(refusal.what());
        out.exitCode = kExitUsage;
        return out;
    } catch (const stationdb::DatabaseError &e) {
        out.error = std::string("generating the series (nothing was written) failed: ") + e.what();
        out.exitCode = kExitFailure;
        return out;
    }
    out.condition = ToUtf8(generator::SeriesCondition(brand, series));
    out.inserted = result.inserted;
    out.updated = result.updated;
    out.stamp = result.stamp;
    out.changeSet = result.changeSet;
    return out;
}

}  // namespace stdhost
