// Every series standard of the station to one UTF-8 tab-separated file (a
// spreadsheet can open it) and back; the mask; clearing the standard table.
#include <set>
#include <sstream>

#include "generator/series_standard.h"
#include "generator/series_transfer.h"
#include "platform/atomic_file.h"
#include "platform/value_text.h"
#include "series_import_file.h"
#include "series_station.h"
#include "series_work.h"
#include "station.h"
#include "table_text.h"

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

// The export file's text; `unreadable` names the stored limits import would refuse.
std::string ExportText(const generator::Catalogue &catalogue,
                       const std::vector<generator::SeriesStandard> &standards, std::size_t &limits,
                       std::vector<std::string> &unreadable) {
    std::string text = std::string(kSeriesFileHeader) + "\n";
    for (const auto &standard : standards) {
        std::size_t n = 0;
        catalogue.ForEachParam([&](const auto &d, const auto &i, const auto &p, const auto &) {
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
    return text;
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

MaskView MaskOf(SeriesStation &s) {
    MaskView out{kExitOk, s.session->MaskPath(), {}};
    for (int32_t id : s.state.mask.MaskedParams()) {
        const generator::CatalogueParam *p = s.state.catalogue.FindParam(id);
        out.masked.push_back({id, p == nullptr ? "" : ToUtf8(p->paramname)});
    }
    return out;
}

}  // namespace

SeriesExport ExportSeries(const std::string &stationOption, const std::string &file) {
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return {rc, 0, 0, {}};
    std::vector<generator::SeriesStandard> standards;
    try {
        StationSeries(s);  // names the vehicle-list rows the export leaves out
        standards = generator::ExportSeriesStandards(s.connection, s.state.catalogue);
    } catch (const stationdb::DatabaseError &e) {
        return {DatabaseFailure("reading the series standards", e), 0, 0, {}};
    }
    SeriesExport out{kExitOk, standards.size(), 0, file};
    std::vector<std::string> unreadable;
    const std::string text = ExportText(s.state.catalogue, standards, out.limits, unreadable);
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
        return {kExitFailure, 0, 0, {}};
    }
    if (platform::WriteFileAtomically(file, text) != platform::AtomicWriteResult::kOk) {
        Complain("cannot write " + file);
        return {kExitFailure, 0, 0, {}};
    }
    return out;
}

SeriesImport ImportSeries(const std::string &stationOption, const std::string &file,
                          const generator::ChangeOrigin &origin) {
    SeriesImport out;
    SeriesStation s;
    if (out.exitCode = OpenSeriesStation(stationOption, s); out.exitCode != kExitOk) return out;
    try {
        std::vector<std::string> notes;
        const auto standards = ReadImportFile(s, file, notes);
        const auto results =
            generator::ImportSeriesStandards(s.connection, s.state.catalogue, standards, origin);
        for (const std::string &note : notes) out.notes.push_back("note: " + note);
        for (std::size_t i = 0; i < results.size(); ++i)
            out.series.push_back(
                {ToUtf8(generator::SeriesCondition(standards[i].id.brand, standards[i].id.series)),
                 results[i].inserted, results[i].updated});
        if (!results.empty()) {
            out.stamp = results.back().stamp;
            out.changeSet = results.back().changeSet;
        }
        out.file = file;
    } catch (const SeriesFileError &e) {
        Complain(e.message + " (nothing was written)");
        out.exitCode = e.exitCode;
    } catch (const std::invalid_argument &refusal) {
        Complain(ToUtf8(refusal.what()) + " (" + file + ")");
        out.exitCode = kExitBadFile;
    } catch (const stationdb::DatabaseError &e) {
        out.exitCode = DatabaseFailure("importing (nothing was written)", e);
    }
    return out;
}

MaskView ShowMask(const std::string &stationOption) {
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return {rc, {}, {}};
    return MaskOf(s);
}

MaskView ChangeMask(const std::string &stationOption, const std::vector<int> &ids, bool mask) {
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return {rc, {}, {}};
    std::vector<generator::MaskChoice> rows;
    for (int id : ids) {
        if (mask && s.state.catalogue.FindParam(id) == nullptr) {
            Complain("parameter " + std::to_string(id) + " is not in the catalogue");
            return {kExitUnknown, {}, {}};
        }
        rows.push_back({id, mask});
    }
    switch (s.session->ChangeMask(rows)) {
        case generator::MaskChangeResult::kSaved:
            break;
        case generator::MaskChangeResult::kFull:
            return {kExitFailure, {}, {}};
        case generator::MaskChangeResult::kUnusable:
            return {kExitBadFile, {}, {}};  // the session named the damaged mask file
        case generator::MaskChangeResult::kWriteFailed:
            Complain("cannot write " + s.session->MaskPath());
            return {kExitFailure, {}, {}};
    }
    return MaskOf(s);
}

StandardsCleared ClearStandards(const std::string &stationOption,
                                const generator::ChangeOrigin &origin) {
    SeriesStation s;
    if (int rc = OpenSeriesStation(stationOption, s); rc != kExitOk) return {rc, 0, {}, 0};
    try {
        const generator::ClearResult result = generator::ClearStandardTable(&s.connection, origin);
        return {kExitOk, result.removed, result.stamp, result.changeSet};
    } catch (const stationdb::DatabaseError &e) {
        return {DatabaseFailure("clearing tb_id_standard (nothing was removed)", e), 0, {}, 0};
    }
}

}  // namespace stdhost
