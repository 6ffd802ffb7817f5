// stdhost's series editor commands: what the standards editor does, on the
// station's own database, without a display. Brands, series, the catalogue
// with a series' stored limits, generating a series (optionally from a
// default standard computed by the limits plug-in), and the mask.
#include <CLI/CLI.hpp>
#include <memory>

#include "commands.h"
#include "generator/limit_input.h"
#include "json_output.h"
#include "platform/gbk.h"
#include "series_render.h"
#include "series_station.h"
#include "series_work.h"
#include "station.h"
#include "vehicle_file.h"

namespace stdhost {
namespace {

// The limit as given, checked as the editor checks a typed limit; "" when
// it can be stored, else why not.
std::string ParseLimit(const std::string &utf8, generator::LimitInput &limit) {
    std::string gbk;
    if (!platform::Utf8ToGbk(utf8, gbk)) gbk = "?";
    limit = generator::ParseLimitInput(gbk);
    return limit ? "" : ToUtf8(generator::LimitInputReason(limit.error));
}

// PARAMID=UPPER,LOWER; false when the text has not that form. Throws
// CLI::ValidationError naming the parameter when a limit is not a number or
// cannot be stored.
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

// The result as JSON or as text; its exit code.
template <class Result, class Text>
int Print(const Result &result, bool json, Text text) {
    if (result.exitCode != kExitOk) return result.exitCode;
    if (json)
        PrintJson(Json(result));
    else
        text(result);
    return kExitOk;
}

int Generate(const std::string &stationOption, const GenerateRequest &request, bool json) {
    const SeriesGeneration result = GenerateSeries(stationOption, request);
    for (const std::string &note : result.notes) Complain(note);
    if (!result.error.empty()) Complain(result.error);
    return Print(result, json, PrintGenerationText);
}

struct ShowOptions {
    std::string brand, series;
    bool json = false;
};

struct GenerateOptions {
    GenerateRequest request;
    std::vector<std::string> sets;
    bool json = false;
};

void AddBrandsCommands(CLI::App &app, CommandLine &line) {
    auto o = std::make_shared<std::pair<std::string, bool>>();
    CLI::App *brands = AddCommand(
        app, line, "brands", "List the brands whose letter code starts with PREFIX.", [&line, o] {
            return Print(ListBrands(line.station, o->first), o->second, PrintBrandsText);
        });
    brands->add_option("PREFIX", o->first, "the start of the brand's letter code (CPZM)");
    brands->add_flag("--json", o->second, "print JSON");
    brands->fallthrough();

    auto l = std::make_shared<std::pair<std::string, bool>>();
    CLI::App *list =
        AddCommand(app, line, "series-list", "List the vehicle series of BRAND.", [&line, l] {
            return Print(ListSeries(line.station, l->first), l->second, PrintSeriesNamesText);
        });
    list->add_option("BRAND", l->first, "the brand (CPMC)")->required();
    list->add_flag("--json", l->second, "print JSON");
    list->fallthrough();
}

void AddShowCommand(CLI::App &group, CommandLine &line) {
    auto show = std::make_shared<ShowOptions>();
    CLI::App *command =
        AddCommand(group, line, "show",
                   "The catalogue with the limits stored for BRAND and SERIES.", [&line, show] {
                       return Print(ShowSeries(line.station, show->brand, show->series), show->json,
                                    PrintSeriesViewText);
                   });
    command->add_option("BRAND", show->brand, "the brand (CPMC)")->required();
    command->add_option("SERIES", show->series, "the vehicle series (CXXL)")->required();
    command->add_flag("--json", show->json, "print JSON");
    command->fallthrough();
}

void AddGenerateCommand(CLI::App &group, CommandLine &line) {
    auto gen = std::make_shared<GenerateOptions>();
    CLI::App *generate = AddCommand(
        group, line, "generate",
        "Store the limits of every catalogue parameter for BRAND and SERIES: the stored ones, "
        "optionally a default standard computed by the limits plug-in, then the --set edits.",
        [&line, gen] { return Generate(line.station, gen->request, gen->json); },
        [gen](const CLI::App &) {
            for (const std::string &text : gen->sets) {
                LimitEdit edit;
                if (!ParseLimitEdit(text, edit))
                    throw CLI::ValidationError(
                        "--set", "expected PARAMID=UPPER,LOWER, not \"" + text + "\"");
                gen->request.edits.push_back(edit);
            }
        });
    generate->add_option("BRAND", gen->request.brand, "the brand (CPMC)")->required();
    generate->add_option("SERIES", gen->request.series, "the vehicle series (CXXL)")->required();
    generate
        ->add_option("--default", gen->request.vehicle,
                     "a vehicle file (ID=TEXT lines); its values of parameters 1088, 1011, "
                     "1089, 1066, 1083, 1006, 1082, 1005, 1009, 1038 and 1048, by name or "
                     "code, give the default standard")
        ->type_name("VEHICLE")
        ->take_last();
    generate->add_option("--set", gen->sets, "an edited limit, after the default standard")
        ->type_name("PARAMID=UPPER,LOWER")
        ->allow_extra_args(false);
    generate->add_flag("--json", gen->json, "print JSON");
    AddOriginOptions(generate, gen->request.origin, "stdhost series generate");
    generate->fallthrough();
}

}  // namespace

void AddSeriesCommands(CLI::App &app, CommandLine &line) {
    AddBrandsCommands(app, line);
    CLI::App *group = app.add_subcommand(
        "series", "Show, generate, export and import the series standards of the station.");
    group->require_subcommand(1);
    group->fallthrough();
    AddShowCommand(*group, line);
    AddGenerateCommand(*group, line);
    AddSeriesTransferCommands(*group, line);
    AddMaskCommands(app, line);
}

}  // namespace stdhost
