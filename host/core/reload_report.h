#pragma once
// What reload and mark-changed print.
#include <string>
#include <vector>

#include "reload.h"

namespace stdhost {

// A line of a report: for standard output, or a complaint for standard
// error. Kept in one sequence so that the two streams interleave as the
// steps happened.
struct ReportLine {
    bool complaint = false;
    std::string text;  // without the newline
};

// The station, the plug-in's files before and after, the database's stamp,
// what ExtParamSave gave and, in words, what happened and why.
std::vector<ReportLine> ReloadLines(const ReloadReport &report);

// "tb_status_memstd: DBModifyTime OLD -> NEW".
std::string MarkChangedText(const MarkChangedReport &report);

}  // namespace stdhost
