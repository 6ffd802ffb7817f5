#include "reload_report.h"

#include "gbk_texts.h"
#include "platform/gbk.h"
#include "terminal_text.h"

namespace stdhost {
namespace {

constexpr char kNothing[] = "nothing reloaded:     ";

std::string Describe(const PluginFiles &files) {
    return files.summary + ", memstd.ini TIME " +
           (files.stamp.empty() ? "not recorded" : "= " + files.stamp);
}

void StampLines(const ReloadReport &r, std::vector<ReportLine> &lines) {
    const std::string source = "(data source " + r.dataSource + "): ";
    switch (r.stampRead) {
        case StampRead::kNoConnection:
            lines.push_back({false, "database stamp:       cannot be read"});
            lines.push_back({true, "cannot reach the station's database " + source + r.stamp});
            break;
        case StampRead::kQueryFailed:
            lines.push_back({false, "database stamp:       cannot be read"});
            lines.push_back({true, "cannot read tb_status_memstd " + source + r.stamp});
            break;
        case StampRead::kEmpty:
            lines.push_back({false, "database stamp:       none (tb_status_memstd is empty)"});
            break;
        case StampRead::kRead:
            lines.push_back({false, "database stamp:       \"" + r.stamp + "\""});
            break;
    }
}

// The outcomes of a pass that left the file as it was, and their complaints.
void FailedPassLines(const ReloadReport &r, std::vector<ReportLine> &lines) {
    const std::string source = "(data source " + r.dataSource + ")";
    switch (r.outcome) {
        case ReloadOutcome::kUnreachableNow:
            lines.push_back({false, kNothing + std::string("the database cannot be reached now")});
            lines.push_back({true, "cannot reach the station's database " + source + ": " + r.why});
            break;
        case ReloadOutcome::kReadFailed:
            lines.push_back(
                {false,
                 kNothing + std::string("the database pass failed; the table stays as it was")});
            lines.push_back({true, "reading the standards failed " + source + ": " + r.why});
            break;
        case ReloadOutcome::kNoStandards:
            lines.push_back(
                {false, Printed("%sthe database holds no standards for the line (%s); the\n"
                                "                      plug-in keeps serving the table it had and "
                                "the file stays",
                                kNothing,
                                platform::GbkToUtf8Lossy(r.noDevices ? texts::kNoStandardFound
                                                                     : texts::kNoStandardFound2)
                                    .c_str())});
            lines.push_back(
                {true,
                 r.noDevices
                     ? "tb_login_lineindex lists no device of the line: no standards found"
                     : "tb_id_standard holds no limit for the line's items: no standards found"});
            break;
        case ReloadOutcome::kFileNotWritable:
            lines.push_back({false, kNothing + std::string("the database was read but the standard "
                                                           "file could not be written")});
            lines.push_back(
                {true, "cannot write the standard file " + r.standardFile + ": " + r.why});
            break;
        default:
            lines.push_back(
                {false, kNothing + std::string("the database reads and the file can be written "
                                               "now, but the\n                      plug-in's pass "
                                               "failed (locked or busy at that moment?)")});
            lines.push_back({true, "the database pass failed " + source + "; nothing reloaded"});
            break;
    }
}

void OutcomeLines(const ReloadReport &r, std::vector<ReportLine> &lines) {
    switch (r.outcome) {
        case ReloadOutcome::kReloaded:
        case ReloadOutcome::kStampNotRecorded:
            lines.push_back({false, "reloaded:             " + Describe(r.after)});
            if (r.outcome == ReloadOutcome::kStampNotRecorded)
                lines.push_back({true, "the stamp could not be recorded in " + r.memstdIni +
                                           (r.memstdIniRegular ? "" : " (not a regular file)") +
                                           ": every reload will read the database again"});
            break;
        case ReloadOutcome::kNoDatabase:
            lines.push_back({false, kNothing + std::string("the database cannot be reached; the "
                                                           "table stays as it was")});
            break;
        case ReloadOutcome::kStampUnreadable:
            lines.push_back({false, kNothing + std::string("the database's stamp cannot be read; "
                                                           "the table stays as it was")});
            break;
        case ReloadOutcome::kNoStamp:
            lines.push_back(
                {false,
                 kNothing +
                     std::string("tb_status_memstd is empty, so the database has no stamp to\n"
                                 "                      compare with memstd.ini and the "
                                 "plug-in never reloads;\n"
                                 "                      'stdhost mark-changed' sets one")});
            break;
        case ReloadOutcome::kStampCurrent:
            lines.push_back({false, kNothing + std::string("the database's stamp is the one in "
                                                           "memstd.ini")});
            break;
        case ReloadOutcome::kNotRun:
            break;
        default:
            FailedPassLines(r, lines);
            break;
    }
}

}  // namespace

std::vector<ReportLine> ReloadLines(const ReloadReport &r) {
    std::vector<ReportLine> lines;
    if (!r.entered) return lines;
    lines.push_back({false, "station " + r.stationDirectory + ", data source " + r.dataSource});
    lines.push_back({false, "before loading:       " + Describe(r.before)});
    if (!r.pluginLoaded) {
        if (!r.problem.empty()) lines.push_back({true, r.problem});
        return lines;
    }
    if (!r.before.SameFileAs(r.loaded))
        lines.push_back({false, "after loading:        " + Describe(r.loaded) +
                                    "\n                      (no standard file, so the plug-in "
                                    "loaded the database)"});
    StampLines(r, lines);
    lines.push_back({false, Printed("ExtParamSave gave %d", r.paramSaveResult)});
    OutcomeLines(r, lines);
    return lines;
}

std::string MarkChangedText(const MarkChangedReport &report) {
    return Printed("tb_status_memstd: DBModifyTime %lld -> %lld\n", report.old, report.stamp);
}

}  // namespace stdhost
