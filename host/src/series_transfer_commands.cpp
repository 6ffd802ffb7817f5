// stdhost series export / import: every series standard of the station as
// one UTF-8 tab-separated file (a spreadsheet can open it) and back; mask
// show|set|clear and clear-standards.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "commands.h"
#include "gbk_texts.h"
#include "generator/limit_input.h"
#include "generator/series_transfer.h"
#include "json_output.h"
#include "platform/atomic_file.h"
#include "platform/gbk.h"
#include "platform/value_text.h"
#include "series_import_file.h"
#include "series_station.h"
#include "table_text.h"
#include "vehicle_file.h"

namespace stdhost {
namespace {

std::string Row(const std::vector<std::string> &fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) row += (i ? "\t" : "") + fields[i];
    return row + "\n";
}

// A name as a spreadsheet cell: tabs and line breaks would split the row.
std::string Cell(const std::string &gbk) {
    std::string text = ToUtf8(gbk);
    for (char &c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

int Export(const std::string &stationOption, const std::string &file) {
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return rc;
    std::vector<generator::SeriesStandard> standards;
    try {
        StationSeries(s);  // names the vehicle-list rows the export leaves out
        standards = generator::ExportSeriesStandards(s.connection, s.state.catalogue);
    } catch (const stationdb::DatabaseError &e) {
        return DatabaseFailure("reading the series standards", e);
    }
    std::string text = std::string(kSeriesFileHeader) + "\n";
    std::size_t limits = 0;
    std::vector<std::string> unreadable;  // limits import would refuse
    for (const auto &standard : standards) {
        std::size_t n = 0;
        s.state.catalogue.ForEachParam([&](const auto &d, const auto &i, const auto &p,
                                           const auto &) {
            const generator::SeriesLimit &l = standard.limits[n++];
            for (const float value : {l.hvalue, l.lvalue})
                if (!generator::CheckLimitValue(value))
                    unreadable.push_back(
                        ToUtf8(generator::SeriesCondition(standard.id.brand, standard.id.series)) +
                        " item " + std::to_string(i.itemid) + " parameter " +
                        std::to_string(p.paramid) + " (" +
                        std::to_string(static_cast<double>(value)) + ")");
            text += Row({Cell(standard.id.brand), Cell(standard.id.series), Cell(d.devname),
                         std::to_string(i.itemid), Cell(i.itemname), std::to_string(p.paramid),
                         Cell(p.paramname), generator::LimitText(l.hvalue),
                         generator::LimitText(l.lvalue)});
        });
        limits += n;
    }
    // A stored limit beyond what a limit can be (1e39 reads as infinite)
    // would be written in a form that import refuses: the file would not
    // bring the standards back.
    if (!unreadable.empty()) {
        std::string list;
        for (std::size_t k = 0; k < unreadable.size() && k < 10; ++k)
            list += (k ? ", " : "") + unreadable[k];
        if (unreadable.size() > 10) list += ", ...";
        Complain(std::to_string(unreadable.size()) +
                 " stored limits are not finite or too long for their column, so import would "
                 "refuse them: " +
                 list + "; set them with series generate --set; " + file + " not written");
        return kExitFailure;
    }
    if (platform::WriteFileAtomically(file, text) != platform::AtomicWriteResult::kOk) {
        Complain("cannot write " + file);
        return kExitFailure;
    }
    std::printf("exported %zu series standards, %zu limits, to %s\n", standards.size(), limits,
                file.c_str());
    return kExitOk;
}

// Reads the whole file before anything is written: throws SeriesFileError
// naming the line and column of the first fault.
std::vector<generator::SeriesStandard> ReadImportFile(SeriesStation &s, const std::string &file,
                                                      std::vector<std::string> &notes) {
    std::string text, why;
    if (!ReadTextInput(file, kTableFileBytes, "the import file", text, why))
        throw SeriesFileError{kExitBadFile, why};
    std::istringstream in(std::move(text));
    std::set<SeriesKey> known;
    for (const auto &id : StationSeries(s))
        known.insert({std::string(platform::TrimBlanks(id.brand)),
                      std::string(platform::TrimBlanks(id.series))});
    std::set<std::pair<int32_t, int32_t>> params;
    s.state.catalogue.ForEachParam([&](const auto &, const auto &i, const auto &p, const auto &) {
        params.insert({i.itemid, p.paramid});
    });
    return ParseSeriesImport(in, file, known, params, &notes);
}

int Import(const std::string &stationOption, const std::string &file) {
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return rc;
    try {
        std::vector<std::string> notes;
        const auto standards = ReadImportFile(s, file, notes);
        const auto results =
            generator::ImportSeriesStandards(s.connection, s.state.catalogue, standards);
        for (const std::string &note : notes) Complain("note: " + note);
        for (std::size_t i = 0; i < results.size(); ++i)
            std::printf(
                "series %s: %lld rows inserted, %lld updated\n",
                ToUtf8(generator::SeriesCondition(standards[i].id.brand, standards[i].id.series))
                    .c_str(),
                results[i].inserted, results[i].updated);
        std::printf("imported %zu series standards from %s\n", results.size(), file.c_str());
        if (!results.empty()) PrintStampChange(results.back().stamp);
    } catch (const SeriesFileError &e) {
        Complain(e.message + " (nothing was written)");
        return e.exitCode;
    } catch (const std::invalid_argument &refusal) {
        Complain(ToUtf8(refusal.what()) + " (" + file + ")");
        return kExitBadFile;
    } catch (const stationdb::DatabaseError &e) {
        return DatabaseFailure("importing (nothing was written)", e);
    }
    return kExitOk;
}

std::string ParamNameUtf8(generator::Catalogue &catalogue, int32_t paramid) {
    const generator::CatalogueParam *p = catalogue.FindParam(paramid);
    return p == nullptr ? "" : ToUtf8(p->paramname);
}

int MaskShow(const std::string &stationOption, bool json) {
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return rc;
    const std::vector<int32_t> masked = s.state.mask.MaskedParams();
    if (json) {
        Json list = Json::array();
        for (int32_t id : masked)
            list.push_back(Json{{"paramid", id}, {"name", ParamNameUtf8(s.state.catalogue, id)}});
        PrintJson(Json{{"file", s.session->MaskPath()}, {"masked", list}});
        return kExitOk;
    }
    std::printf("%s: %zu parameters masked from default standards\n", s.session->MaskPath().c_str(),
                masked.size());
    for (int32_t id : masked)
        std::printf("%-7d %s\n", id, ParamNameUtf8(s.state.catalogue, id).c_str());
    return kExitOk;
}

int MaskChange(const std::string &stationOption, const std::vector<int> &ids, bool mask) {
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return rc;
    std::vector<generator::MaskChoice> rows;
    for (int id : ids) {
        if (mask && s.state.catalogue.FindParam(id) == nullptr) {
            Complain("parameter " + std::to_string(id) + " is not in the catalogue");
            return kExitUnknown;
        }
        rows.push_back({id, mask});
    }
    switch (s.session->ChangeMask(rows)) {
        case generator::MaskChangeResult::kSaved:
            break;
        case generator::MaskChangeResult::kFull:
            return kExitFailure;
        case generator::MaskChangeResult::kUnusable:
            return kExitBadFile;  // the session named the damaged mask file
        case generator::MaskChangeResult::kWriteFailed:
            Complain("cannot write " + s.session->MaskPath());
            return kExitFailure;
    }
    std::printf("%s: %zu parameters masked\n", s.session->MaskPath().c_str(),
                s.state.mask.MaskedParams().size());
    return kExitOk;
}

int ClearAll(const std::string &stationOption) {
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return rc;
    generator::ClearResult result;
    try {
        result = generator::ClearStandardTable(&s.connection);
    } catch (const stationdb::DatabaseError &e) {
        return DatabaseFailure("clearing tb_id_standard (nothing was removed)", e);
    }
    std::printf("%s\n", ToUtf8(texts::kClearStandardsDone).c_str());
    std::printf("%lld rows removed from tb_id_standard\n", result.removed);
    PrintStampChange(result.stamp);
    return kExitOk;
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
    CLI::App *importCommand = AddCommand(
        series, line, "import",
        "Generate the series standards of FILE (as series export writes it), all or nothing; "
        "parameters a series does not name keep their stored limits.",
        [&line, in] { return Import(line.station, *in); });
    importCommand->add_option("FILE", *in, "the file to read")->required();
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
    CLI::App *clear = AddCommand(
        app, line, "clear-standards",
        "Remove every row of tb_id_standard, national and series standards alike.",
        [&line] { return ClearAll(line.station); },
        [yes](const CLI::App &) {
            if (!*yes)
                throw CLI::ValidationError(
                    "--yes", "this removes every standard and cannot be undone: add --yes");
        });
    clear->add_flag("--yes", *yes, "confirm");
    clear->fallthrough();
}

}  // namespace stdhost
