#pragma once
// The file of series export / import: UTF-8, tab-separated, a header line
// naming the columns, then one limit a line. Kept apart from the command so
// that other programs (the fuzz targets) read it the same way.
#include <cstdint>
#include <istream>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "generator/limit_input.h"
#include "generator/series_transfer.h"
#include "platform/gbk.h"
#include "platform/value_text.h"
#include "station.h"
#include "table_text.h"

namespace stdhost {

inline constexpr char kSeriesFileHeader[] =
    "brand\tseries\tdevice\titemid\titem\tparamid\tparameter\tupper\tlower";
inline constexpr std::size_t kSeriesFileFields = 9;

// A fault of an import file: the exit code and "FILE:LINE[:COLUMN]: what".
struct SeriesFileError {
    int exitCode;
    std::string message;
};

// Brand and series in GBK, trailing and leading blanks removed.
using SeriesKey = std::pair<std::string, std::string>;

// The series standards of an import file read from `in` (`file` names it in
// messages), one per brand and series in the order they first appear.
// `known` holds the series of the station, `params` the (itemid, paramid)
// pairs of its catalogue. A limit is read as the editor reads a typed one
// (generator::ParseLimitInput): one that is not a number, not finite or too
// long for its column is a fault naming the parameter; one that two decimals
// change is named in `notes` ("FILE:LINE:COLUMN: ..."), when given. Throws
// SeriesFileError naming the line and column of the first fault.
inline std::vector<generator::SeriesStandard> ParseSeriesImport(
    std::istream &in, const std::string &file, const std::set<SeriesKey> &known,
    const std::set<std::pair<int32_t, int32_t>> &params,
    std::vector<std::string> *notes = nullptr) {
    std::vector<generator::SeriesStandard> standards;
    std::map<SeriesKey, std::size_t> index;
    std::string line;
    int lineNo = 0;
    auto fault = [&](int exitCode, std::size_t column, const std::string &what) {
        return SeriesFileError{exitCode, file + ":" + std::to_string(lineNo) +
                                             (column ? ":" + std::to_string(column) : "") + ": " +
                                             what};
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNo == 1) {
            if (line != kSeriesFileHeader)
                throw fault(
                    kExitBadFile, 0,
                    "the first line must name the columns: " + std::string(kSeriesFileHeader));
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
        const std::vector<std::string> f = SplitTabs(line);
        if (f.size() != kSeriesFileFields)
            throw fault(kExitBadFile, 0,
                        "expected 9 tab-separated fields, found " + std::to_string(f.size()));
        std::string brand, series;
        if (!platform::Utf8ToGbk(f[0], brand)) throw fault(kExitBadFile, 1, "no GBK form");
        if (!platform::Utf8ToGbk(f[1], series)) throw fault(kExitBadFile, 2, "no GBK form");
        const SeriesKey key{std::string(platform::TrimBlanks(brand)),
                            std::string(platform::TrimBlanks(series))};
        if (known.count(key) == 0)
            throw fault(kExitUnknown, 1,
                        "no series " + f[1] + " of brand " + f[0] + " in tb_type_vehicle");
        generator::SeriesLimit limit;
        if (!ParseInt(f[3], limit.itemid)) throw fault(kExitBadFile, 4, "not an item id");
        if (!ParseInt(f[5], limit.paramid)) throw fault(kExitBadFile, 6, "not a parameter id");
        for (const std::size_t column : {std::size_t{8}, std::size_t{9}}) {
            const std::string &given = f[column - 1];
            const char *which = column == 8 ? "upper" : "lower";
            std::string gbk;
            generator::LimitInput input;
            input.error = generator::LimitInputError::kNotANumber;
            if (platform::Utf8ToGbk(given, gbk)) input = generator::ParseLimitInput(gbk);
            if (input.error == generator::LimitInputError::kNotANumber)
                throw fault(kExitBadFile, column, "not a number");
            if (!input)
                throw fault(kExitBadFile, column,
                            "the " + std::string(which) + " limit " + given + " of parameter " +
                                f[5] + " cannot be stored: " +
                                platform::GbkToUtf8Lossy(generator::LimitInputReason(input.error)));
            (column == 8 ? limit.hvalue : limit.lvalue) = input.value;
            if (input.rounded && notes != nullptr)
                notes->push_back(file + ":" + std::to_string(lineNo) + ":" +
                                 std::to_string(column) + ": the " + which + " limit " + given +
                                 " of parameter " + f[5] + " is stored as " + input.stored +
                                 " (two decimals)");
        }
        if (params.count({limit.itemid, limit.paramid}) == 0)
            throw fault(kExitUnknown, 6,
                        "item " + f[3] + " has no parameter " + f[5] + " in the catalogue");
        auto [at, added] = index.emplace(key, standards.size());
        if (added) standards.push_back({{key.first, key.second}, {}});
        standards[at->second].limits.push_back(limit);
    }
    if (lineNo == 0) throw SeriesFileError{kExitBadFile, file + ": the file is empty"};
    return standards;
}

}  // namespace stdhost
