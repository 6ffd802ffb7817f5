// stdhost series export / import: every series standard of the station as
// one UTF-8 tab-separated file (a spreadsheet can open it) and back; mask
// show|set|clear and clear-standards.
#include <CLI/CLI.hpp>
#include <memory>

#include "commands.h"
#include "json_output.h"
#include "series_render.h"
#include "series_work.h"
#include "station.h"

namespace stdhost {
namespace {

int Export(const std::string &stationOption, const std::string &file) {
    const SeriesExport result = ExportSeries(stationOption, file);
    if (result.exitCode == kExitOk) PrintExportText(result);
    return result.exitCode;
}

int Import(const std::string &stationOption, const std::string &file,
           const generator::ChangeOrigin &origin) {
    const SeriesImport result = ImportSeries(stationOption, file, origin);
    for (const std::string &note : result.notes) Complain(note);
    if (result.exitCode == kExitOk) PrintImportText(result);
    return result.exitCode;
}

int MaskShow(const std::string &stationOption, bool json) {
    const MaskView mask = ShowMask(stationOption);
    if (mask.exitCode != kExitOk) return mask.exitCode;
    if (json)
        PrintJson(Json(mask));
    else
        PrintMaskText(mask);
    return kExitOk;
}

int MaskChange(const std::string &stationOption, const std::vector<int> &ids, bool mask) {
    const MaskView after = ChangeMask(stationOption, ids, mask);
    if (after.exitCode == kExitOk) PrintMaskChangeText(after);
    return after.exitCode;
}

int ClearAll(const std::string &stationOption, const generator::ChangeOrigin &origin) {
    const StandardsCleared result = ClearStandards(stationOption, origin);
    if (result.exitCode == kExitOk) PrintClearedText(result);
    return result.exitCode;
}

}  // namespace

void AddSeriesTransferCommands(CLI::App &series, CommandLine &line) {
    auto out = std::make_shared<std::string>();
    CLI::App *exportCommand =
        AddCommand(series, line, "export",
                   "Write every series standard of the station to FILE (UTF-8, tab-separated).",
                   [&line, out] { return Export(line.station, *out); });
    exportCommand->add_option("FILE", *out, "the file to write")->required();
    exportCommand->fallthrough();

    auto in = std::make_shared<std::string>();
    auto importOrigin = std::make_shared<generator::ChangeOrigin>();
    CLI::App *importCommand = AddCommand(
        series, line, "import",
        "Generate the series standards of FILE (as series export writes it), all or nothing; "
        "parameters a series does not name keep their stored limits.",
        [&line, in, importOrigin] { return Import(line.station, *in, *importOrigin); });
    importCommand->add_option("FILE", *in, "the file to read")->required();
    AddOriginOptions(importCommand, *importOrigin, "stdhost series import");
    importCommand->fallthrough();
}

void AddMaskCommands(CLI::App &app, CommandLine &line) {
    CLI::App *group =
        app.add_subcommand("mask", "The parameters masked from default standards (CXmask.cfg).");
    group->require_subcommand(1);
    group->fallthrough();
    auto json = std::make_shared<bool>(false);
    CLI::App *show = AddCommand(*group, line, "show", "List the masked parameters.",
                                [&line, json] { return MaskShow(line.station, *json); });
    show->add_flag("--json", *json, "print JSON");
    show->fallthrough();
    for (bool mask : {true, false}) {
        auto ids = std::make_shared<std::vector<int>>();
        CLI::App *change =
            AddCommand(*group, line, mask ? "set" : "clear",
                       mask ? "Mask parameters from default standards." : "Unmask parameters.",
                       [&line, ids, mask] { return MaskChange(line.station, *ids, mask); });
        change->add_option("PARAMID", *ids, "parameter ids")
            ->required()
            ->check(CLI::Range(1, 65535));
        change->fallthrough();
    }

    auto yes = std::make_shared<bool>(false);
    auto clearOrigin = std::make_shared<generator::ChangeOrigin>();
    CLI::App *clear = AddCommand(
        app, line, "clear-standards",
        "Remove every row of tb_id_standard, national and series standards alike.",
        [&line, clearOrigin] { return ClearAll(line.station, *clearOrigin); },
        [yes](const CLI::App &) {
            if (!*yes)
                throw CLI::ValidationError("--yes",
                                           "this removes every standard, and only a station that "
                                           "keeps a history can roll it back: add --yes");
        });
    clear->add_flag("--yes", *yes, "confirm");
    AddOriginOptions(clear, *clearOrigin, "stdhost clear-standards");
    clear->fallthrough();
}

}  // namespace stdhost
