#pragma once
// What build-standards and show-standards print.
#include <string>

#include "standards_files.h"

namespace stdhost {

// "OUT: N limits from M rows".
std::string BuildStandardsText(const BuildStandardsReport &report);

// The header line and one tab-separated line a limit: the form
// build-standards reads; "" for a file that did not load.
std::string StandardFileListingText(const StandardFileListing &listing);

}  // namespace stdhost
