#pragma once
// build-standards and show-standards: a standard file from its readable form
// (standards_source.h) and back, as data for the renderers
// (standards_report.h).
#include <cstddef>
#include <string>
#include <vector>

namespace stdhost {

struct BuildStandardsReport {
    int exitCode = 0;     // kExitOk, else kExitFailure with `problem` saying why
    std::string problem;  // for standard error
    std::string out;      // the file written ("-": the standard output)
    std::size_t limits = 0;
    int rows = 0;  // limit lines of the source
};

// Reads the readable table `source` and writes the standard file `out`.
// OutputPathUsable complains on its own about an `out` it refuses.
BuildStandardsReport BuildStandardFile(const std::string &source, const std::string &out);

// One limit of a standard file in the readable form.
struct StandardFileRow {
    int devid = 0;
    int itemid = 0;
    std::string condition;  // UTF-8
    int paramid = 0;
    float lower = 0;
    float upper = 0;
};

struct StandardFileListing {
    // kExitOk; kExitBadFile for a damaged file (its rows are still listed
    // when it loads); kExitFailure for one that cannot be loaded.
    int exitCode = 0;
    bool loaded = false;  // the file loaded: `rows` is what it serves
    std::vector<StandardFileRow> rows;
    std::string problem;  // for standard error, after the rows
};

// What the standard file `file` holds, in file order.
StandardFileListing ListStandardFile(const std::string &file);

}  // namespace stdhost
