// stdhost's series editor commands: what the standards editor does, on the
// station's own database, without a display. Brands, series, the catalogue
// with a series' stored limits, generating a series (optionally from a
// default standard computed by the limits plug-in), and the mask.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "commands.h"
#include "generator/limit_input.h"
#include "generator/series_key.h"
#include "generator/series_standard.h"
#include "json_output.h"
#include "platform/gbk.h"
#include "plinth.h"
#include "series_station.h"
#include "table_text.h"
#include "terminal_text.h"
#include "vehicle_file.h"

namespace stdhost {
namespace {

// PARAMID=UPPER,LOWER
struct LimitEdit {
    int paramid = 0;
    std::string upperText, lowerText;  // as given (UTF-8)
    generator::LimitInput upper, lower;
};

// The limit as given, checked as the editor checks a typed limit; "" when
// it can be stored, else why not.
std::string ParseLimit(const std::string &utf8, generator::LimitInput &limit) {
    std::string gbk;
    if (!platform::Utf8ToGbk(utf8, gbk)) gbk = "?";
    limit = generator::ParseLimitInput(gbk);
    return limit ? "" : ToUtf8(generator::LimitInputReason(limit.error));
}

// Throws CLI::ValidationError naming the parameter when a limit is not a
// number or cannot be stored.
bool ParseLimitEdit(const std::string &text, LimitEdit &edit) {
    const auto eq = text.find('='), comma = text.find(',', eq == std::string::npos ? 0 : eq);
    if (eq == std::string::npos || comma == std::string::npos) return false;
    InfoValue id;
    if (!ParseAssignment(text.substr(0, eq) + "=", id)) return false;
    edit.paramid = id.first;
    edit.upperText = text.substr(eq + 1, comma - eq - 1);
    edit.lowerText = text.substr(comma + 1);
    for (const bool upper : {true, false}) {
        const std::string why =
            ParseLimit(upper ? edit.upperText : edit.lowerText, upper ? edit.upper : edit.lower);
        if (!why.empty())
            throw CLI::ValidationError(
                "--set", "the " + std::string(upper ? "upper" : "lower") + " limit \"" +
                             (upper ? edit.upperText : edit.lowerText) + "\" of parameter " +
                             std::to_string(edit.paramid) + " cannot be stored: " + why);
    }
    return true;
}

// Says when two decimals changed a limit the user gave.
void NoteRounding(const std::string &where, const char *which, const std::string &given,
                  const generator::LimitInput &limit) {
    if (!limit.rounded) return;
    Complain("note: " + where + ": the " + which + " limit " + given + " is stored as " +
             limit.stored + " (two decimals)");
}

Json ParamJson(const generator::CatalogueDevice &d, const generator::CatalogueItem &i,
               const generator::CatalogueParam &p, bool masked) {
    Json j = Json::object();
    j["devid"] = d.devid;
    j["device"] = ToUtf8(d.devname);
    j["itemid"] = i.itemid;
    j["item"] = ToUtf8(i.itemname);
    j["paramid"] = p.paramid;
    j["name"] = ToUtf8(p.paramname);
    j["upper"] = LimitJson(p.hvalue);
    j["lower"] = LimitJson(p.lvalue);
    j["masked"] = masked;
    return j;
}

void PrintCatalogue(SeriesStation &s) {
    std::size_t width[3] = {6, 4, 4};
    s.state.catalogue.ForEachParam([&](const auto &d, const auto &i, const auto &p, const auto &) {
        width[0] = std::max(width[0], DisplayWidth(ToUtf8(d.devname)));
        width[1] = std::max(width[1], DisplayWidth(ToUtf8(i.itemname)));
        width[2] = std::max(width[2], DisplayWidth(ToUtf8(p.paramname)));
    });
    std::printf("%s %-6s %s %-7s %s %12s %12s  masked\n", Pad("device", width[0]).c_str(), "item",
                Pad("", width[1]).c_str(), "param", Pad("name", width[2]).c_str(), "upper",
                "lower");
    s.state.catalogue.ForEachParam([&](const auto &d, const auto &i, const auto &p, const auto &) {
        std::printf("%s %-6d %s %-7d %s %12s %12s  %s\n", Pad(ToUtf8(d.devname), width[0]).c_str(),
                    i.itemid, Pad(ToUtf8(i.itemname), width[1]).c_str(), p.paramid,
                    Pad(ToUtf8(p.paramname), width[2]).c_str(), LimitText(p.hvalue).c_str(),
                    LimitText(p.lvalue).c_str(), s.state.mask.IsMasked(p.paramid) ? "*" : "");
    });
}

int Brands(const std::string &stationOption, const std::string &prefixUtf8, bool json) {
    std::string prefix;
    if (!ArgumentToGbk(prefixUtf8, "PREFIX", prefix)) return kExitUsage;
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return rc;
    const generator::BrandQuery query = s.session->Brands(prefix);
    if (query.result != 1) {
        Complain("the brand query on tb_type_index failed: " + ToUtf8(query.error));
        return kExitFailure;
    }
    Json list = Json::array();
    for (const auto &b : query.brands) list.push_back(ToUtf8(b));
    if (json) {
        PrintJson(Json{{"prefix", prefixUtf8}, {"brands", list}});
    } else {
        for (const auto &b : list) std::printf("%s\n", b.get<std::string>().c_str());
    }
    return kExitOk;
}

int SeriesList(const std::string &stationOption, const std::string &brandUtf8, bool json) {
    std::string brand;
    if (!ArgumentToGbk(brandUtf8, "BRAND", brand)) return kExitUsage;
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return rc;
    // A table that cannot be read is a database fault, not a brand without series.
    try {
        generator::ReadSeriesList(s.connection);
    } catch (const stationdb::DatabaseError &e) {
        return DatabaseFailure("reading the series of tb_type_vehicle", e);
    }
    const std::vector<std::string> series = s.session->Series(brand);
    if (series.empty()) {
        Complain("brand " + brandUtf8 + " has no series in tb_type_vehicle");
        return kExitUnknown;
    }
    Json list = Json::array();
    for (const auto &name : series) list.push_back(ToUtf8(name));
    if (json) {
        PrintJson(Json{{"brand", brandUtf8}, {"series", list}});
    } else {
        for (const auto &name : list) std::printf("%s\n", name.get<std::string>().c_str());
    }
    return kExitOk;
}

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

int SeriesShow(const std::string &stationOption, const std::string &brandUtf8,
               const std::string &seriesUtf8, bool json) {
    SeriesStation s;
    std::string brand, series;
    if (int rc =
            EnterSeries(stationOption, s, brandUtf8, seriesUtf8, brand, series, FullModule::kSkip);
        rc != kExitOk)
        return rc;
    const std::string condition = ToUtf8(generator::SeriesCondition(brand, series));
    if (json) {
        Json params = Json::array();
        s.state.catalogue.ForEachParam(
            [&](const auto &d, const auto &i, const auto &p, const auto &) {
                params.push_back(ParamJson(d, i, p, s.state.mask.IsMasked(p.paramid)));
            });
        PrintJson(Json{{"condition", condition}, {"params", params}});
    } else {
        std::printf("series %s: %zu parameters (* masked from default standards)\n",
                    condition.c_str(), s.state.catalogue.ParamCount());
        PrintCatalogue(s);
    }
    return kExitOk;
}

struct GenerateOptions {
    std::string brand, series, vehicle;
    std::vector<std::string> sets;
    std::vector<LimitEdit> edits;
    bool json = false;
};

int ApplyDefault(SeriesStation &s, const std::string &vehicleFile, std::size_t &applied) {
    generator::VehicleConditions conditions;
    for (const auto &[id, utf8] : ReadDefaultVehicleFile(vehicleFile, "--default")) {
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

int SeriesGenerate(const std::string &stationOption, const GenerateOptions &o) {
    SeriesStation s;
    std::string brand, series;
    if (int rc = EnterSeries(stationOption, s, o.brand, o.series, brand, series,
                             o.vehicle.empty() ? FullModule::kSkip : FullModule::kLoad);
        rc != kExitOk)
        return rc;
    std::size_t fromDefault = 0;
    if (!o.vehicle.empty()) {
        try {
            if (int rc = ApplyDefault(s, o.vehicle, fromDefault); rc != kExitOk) return rc;
        } catch (const CLI::ValidationError &e) {
            Complain(e.what());
            return kExitBadFile;
        }
    }
    for (const LimitEdit &edit : o.edits) {
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
        NoteRounding(where, "upper", edit.upperText, edit.upper);
        NoteRounding(where, "lower", edit.lowerText, edit.lower);
    }
    generator::GenerationResult result;
    try {
        result = s.session->Generate(brand, series);
    } catch (const std::invalid_argument &refusal) {
        return Refused(refusal, kExitUsage);
    } catch (const stationdb::DatabaseError &e) {
        return DatabaseFailure("generating the series (nothing was written)", e);
    }
    const std::string condition = ToUtf8(generator::SeriesCondition(brand, series));
    if (o.json) {
        PrintJson(
            Json{{"condition", condition},
                 {"inserted", result.inserted},
                 {"updated", result.updated},
                 {"default", fromDefault},
                 {"stamp", {{"before", result.stamp.before}, {"after", result.stamp.after}}}});
    } else {
        if (!o.vehicle.empty())
            std::printf("default standard: %zu limits from %s\n", fromDefault,
                        s.session->FullModulePath().c_str());
        std::printf("series %s: %lld rows inserted, %lld updated\n", condition.c_str(),
                    result.inserted, result.updated);
        PrintStampChange(result.stamp);
    }
    return kExitOk;
}

void AddBrandsCommands(CLI::App &app, CommandLine &line) {
    auto o = std::make_shared<std::pair<std::string, bool>>();
    CLI::App *brands =
        AddCommand(app, line, "brands", "List the brands whose letter code starts with PREFIX.",
                   [&line, o] { return Brands(line.station, o->first, o->second); });
    brands->add_option("PREFIX", o->first, "the start of the brand's letter code (CPZM)");
    brands->add_flag("--json", o->second, "print JSON");
    brands->fallthrough();

    auto l = std::make_shared<std::pair<std::string, bool>>();
    CLI::App *list =
        AddCommand(app, line, "series-list", "List the vehicle series of BRAND.",
                   [&line, l] { return SeriesList(line.station, l->first, l->second); });
    list->add_option("BRAND", l->first, "the brand (CPMC)")->required();
    list->add_flag("--json", l->second, "print JSON");
    list->fallthrough();
}

}  // namespace

void AddSeriesCommands(CLI::App &app, CommandLine &line) {
    AddBrandsCommands(app, line);
    CLI::App *group = app.add_subcommand(
        "series", "Show, generate, export and import the series standards of the station.");
    group->require_subcommand(1);
    group->fallthrough();

    auto show = std::make_shared<GenerateOptions>();
    CLI::App *showCommand = AddCommand(
        *group, line, "show", "The catalogue with the limits stored for BRAND and SERIES.",
        [&line, show] { return SeriesShow(line.station, show->brand, show->series, show->json); });
    showCommand->add_option("BRAND", show->brand, "the brand (CPMC)")->required();
    showCommand->add_option("SERIES", show->series, "the vehicle series (CXXL)")->required();
    showCommand->add_flag("--json", show->json, "print JSON");
    showCommand->fallthrough();

    auto gen = std::make_shared<GenerateOptions>();
    CLI::App *generate = AddCommand(
        *group, line, "generate",
        "Store the limits of every catalogue parameter for BRAND and SERIES: the stored ones, "
        "optionally a default standard computed by the limits plug-in, then the --set edits.",
        [&line, gen] { return SeriesGenerate(line.station, *gen); },
        [gen](const CLI::App &) {
            for (const std::string &text : gen->sets) {
                LimitEdit edit;
                if (!ParseLimitEdit(text, edit))
                    throw CLI::ValidationError(
                        "--set", "expected PARAMID=UPPER,LOWER, not \"" + text + "\"");
                gen->edits.push_back(edit);
            }
        });
    generate->add_option("BRAND", gen->brand, "the brand (CPMC)")->required();
    generate->add_option("SERIES", gen->series, "the vehicle series (CXXL)")->required();
    generate
        ->add_option("--default", gen->vehicle,
                     "a vehicle file (ID=TEXT lines); its values of parameters 1088, 1011, "
                     "1089, 1066, 1083, 1006, 1082, 1005, 1009, 1038 and 1048, by name or "
                     "code, give the default standard")
        ->type_name("VEHICLE")
        ->take_last();
    generate->add_option("--set", gen->sets, "an edited limit, after the default standard")
        ->type_name("PARAMID=UPPER,LOWER")
        ->allow_extra_args(false);
    generate->add_flag("--json", gen->json, "print JSON");
    generate->fallthrough();

    AddSeriesTransferCommands(*group, line);
    AddMaskCommands(app, line);
}

}  // namespace stdhost
