#include "json_output.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/value_text.h"
#include "station.h"

namespace stdhost {

Json LimitJson(float value) {
    if (!std::isfinite(value)) return nullptr;
    const double shown = platform::DecimalOf(LimitText(value));
    // Within 2^53 a whole double is exactly an integer; as one, nlohmann
    // writes "5" where it would write "5.0" for the double. -0 becomes 0.
    constexpr double kExactIntegers = 9007199254740992.0;
    if (std::trunc(shown) == shown && std::fabs(shown) <= kExactIntegers)
        return static_cast<std::int64_t>(shown);
    return shown;
}

Json LimitEntryJson(int paramId, const std::string &name, float lower, float upper) {
    Json entry = Json::object();
    entry["param"] = paramId;
    entry["name"] = name;
    entry["lower"] = LimitJson(lower);
    entry["upper"] = LimitJson(upper);
    return entry;
}

void PrintJson(const Json &value) {
    const std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::printf("%s\n", text.c_str());
}

}  // namespace stdhost
