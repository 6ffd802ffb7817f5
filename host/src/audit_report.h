#pragma once
// The coverage audit as stdhost shows it: one JSON document with every name
// resolved (UTF-8), from which the text report and the HTML page are made.
#include <string>

#include "json_output.h"

namespace stdhost {

// The aligned text report (UTF-8), summary first.
std::string AuditText(const Json &audit);

// One self-contained HTML page: no script, no network, no other file.
std::string AuditHtml(const Json &audit);

}  // namespace stdhost
