#pragma once
// Text put into the self-contained HTML pages stdhost writes.
#include <string>
#include <string_view>

namespace stdhost {

// `text` with &, <, > and " written as entities.
std::string HtmlEscaped(std::string_view text);

}  // namespace stdhost
