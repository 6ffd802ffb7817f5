#include "standards_files.h"

#include <sstream>

#include "platform/gbk.h"
#include "standard_file_text.h"
#include "standards_source.h"
#include "station.h"
#include "store/standard_table.h"
#include "table_text.h"

namespace stdhost {

BuildStandardsReport BuildStandardFile(const std::string &source, const std::string &out) {
    BuildStandardsReport report;
    report.out = out;
    report.exitCode = kExitFailure;
    std::string bytes;
    if (!ReadTextInput(source, kTableFileBytes, "the readable table", bytes, report.problem))
        return report;
    std::istringstream in(std::move(bytes));
    store::StandardTable table;
    if (!ReadStandardsSource(in, source, table, report.rows, report.problem)) return report;
    if (!OutputPathUsable(out)) return report;
    if (const int result = table.WriteFile(out); result != 1) {
        report.problem = "writing " + out + " failed with result " + std::to_string(result);
        return report;
    }
    report.limits = table.RecordCount();
    report.exitCode = kExitOk;
    return report;
}

StandardFileListing ListStandardFile(const std::string &file) {
    StandardFileListing listing;
    store::StandardTable table;
    store::StandardFileReport report;
    listing.loaded = table.LoadFromFile(file, &report) == 1;
    listing.problem = StandardFileDamage(file, report);
    listing.exitCode = listing.problem.empty() ? kExitOk : kExitBadFile;
    if (!listing.loaded) {
        if (listing.problem.empty()) {
            listing.problem = "cannot load " + file;
            listing.exitCode = kExitFailure;
        }
        return listing;
    }
    for (const auto &device : table.Devices())
        for (const auto &item : device.items)
            for (const auto &condition : item.conditions)
                for (const auto &p : condition.params)
                    listing.rows.push_back({device.devid, item.itemid,
                                            platform::GbkToUtf8Lossy(condition.condition),
                                            p.paramid, p.lvalue, p.hvalue});
    return listing;
}

}  // namespace stdhost
