#include "standards_report.h"

#include "station.h"
#include "terminal_text.h"

namespace stdhost {

std::string BuildStandardsText(const BuildStandardsReport &report) {
    return Printed("%s: %zu limits from %d rows\n", report.out.c_str(), report.limits, report.rows);
}

std::string StandardFileListingText(const StandardFileListing &listing) {
    if (!listing.loaded) return "";
    std::string text = "# devid\titemid\tcondition\tparamid\tlower\tupper\n";
    for (const StandardFileRow &r : listing.rows)
        text += Printed("%d\t%d\t%s\t%d\t%s\t%s\n", r.devid, r.itemid, r.condition.c_str(),
                        r.paramid, LimitText(r.lower).c_str(), LimitText(r.upper).c_str());
    return text;
}

}  // namespace stdhost
