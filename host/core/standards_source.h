#pragma once
// The readable form of a standard table: UTF-8 text, one limit per line,
//   devid TAB itemid TAB condition TAB paramid TAB lower TAB upper
// with '#' comment lines and blank lines ignored. Kept apart from the
// command so that other programs (the fuzz targets) read it the same way.
#include <istream>
#include <string>

#include "platform/gbk.h"
#include "store/standard_table.h"
#include "table_text.h"

namespace stdhost {

// Merges every limit line of `in` into `table` and counts them in `rows`.
// False at the first bad line, with `error` saying "SOURCE:LINE: what"
// (`source` names the file); the lines before it stay in the table.
inline bool ReadStandardsSource(std::istream &in, const std::string &source,
                                store::StandardTable &table, int &rows, std::string &error) {
    std::string line;
    int lineNo = 0;
    rows = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const auto f = SplitTabs(line);
        store::StdRecord r;
        std::string condition;
        const std::string where = source + ":" + std::to_string(lineNo) + ": ";
        if (f.size() != 6 || !ParseInt(f[0], r.devid) || !ParseInt(f[1], r.itemid) ||
            !ParseInt(f[3], r.paramid) || !ParseFloat(f[4], r.lvalue) ||
            !ParseFloat(f[5], r.hvalue)) {
            error = where + "expected devid, itemid, condition, paramid, lower, upper";
            return false;
        }
        if (r.devid < 1 || r.devid > store::kMaxDeviceId) {
            error = where + "device id must be 1 to 200";
            return false;
        }
        if (!platform::Utf8ToGbk(f[2], condition)) {
            error = where + "the condition has no GBK form";
            return false;
        }
        if (condition.size() >= static_cast<std::size_t>(store::kConditionBytes) ||
            condition.find('\0') != std::string::npos) {
            error = where + "the condition is longer than 149 GBK bytes";
            return false;
        }
        r.condition = condition;
        table.InsertRecord(r);
        ++rows;
    }
    return true;
}

}  // namespace stdhost
