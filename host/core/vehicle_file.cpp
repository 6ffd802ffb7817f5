#include "vehicle_file.h"

#include <optional>
#include <sstream>
#include <string_view>

#include "engine/registration_params.h"
#include "platform/number_text.h"
#include "table_text.h"

namespace stdhost {
namespace {

// The whole text as an ID 1..65535; blanks before it and a '+' are allowed.
bool ParseId(const std::string &text, int &id) {
    platform::NumberRules rules;
    rules.leadingBlanks = true;
    rules.plusSign = true;
    const std::optional<long long> v = platform::ParseInteger(text, rules);
    if (!v || *v < 1 || *v > 65535) return false;
    id = static_cast<int>(*v);
    return true;
}

// A value read as a number the way strtod reads a C string: up to a NUL,
// blanks before it, spaces and tabs after it, out of range an infinity or 0.
bool IsPositiveNumber(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    text = text.substr(0, text.find_last_not_of(" \t") + 1);
    platform::NumberRules rules;
    rules.leadingBlanks = true;
    rules.plusSign = true;
    rules.hexadecimal = true;
    rules.saturate = true;
    const std::optional<double> v = platform::ParseDecimal(text, rules);
    return v && *v > 0;
}

// A value a default standard cannot do without: present, not blank, and a
// number where `number` asks for one.
bool Given(const std::vector<InfoValue> &values, int id, bool number) {
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        if (it->first != id) continue;
        const auto first = it->second.find_first_not_of(" \t");
        if (first == std::string::npos) return false;
        return !number || IsPositiveNumber(std::string_view(it->second).substr(first));
    }
    return false;
}

}  // namespace

bool ParseAssignment(const std::string &text, InfoValue &out) {
    auto eq = text.find('=');
    return eq != std::string::npos && ParseId(text.substr(0, eq), out.first) &&
           (out.second = text.substr(eq + 1), true);
}

std::vector<InfoValue> LoadVehicleFile(const std::string &path, const std::string &option) {
    std::string bytes, why;
    if (!ReadTextInput(path, kVehicleFileBytes, "the vehicle file", bytes, why))
        throw VehicleFileError(option, why);
    std::istringstream in(std::move(bytes));
    std::vector<InfoValue> values;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        InfoValue a;
        if (!ParseAssignment(line.substr(first), a))
            throw VehicleFileError(option,
                                   path + ":" + std::to_string(lineNo) + ": expected ID=TEXT");
        values.push_back(a);
    }
    return values;
}

std::vector<InfoValue> LoadDefaultVehicleFile(const std::string &path, const std::string &option) {
    std::vector<InfoValue> values = LoadVehicleFile(path, option);
    if (values.empty()) throw VehicleFileError(option, path + ": the vehicle file gives no value");
    std::string missing;
    const auto need = [&](int id, bool number, const char *what) {
        if (Given(values, id, number)) return;
        missing += std::string(missing.empty() ? "" : ", ") + what;
    };
    need(engine::kParamVehicleKind, false, "the vehicle kind (1082)");
    need(engine::kParamTotalMass, true, "the total mass (1088)");
    need(engine::kParamCurbMass, true, "the kerb mass (1083)");
    if (!missing.empty())
        throw VehicleFileError(option, path + ": a default standard needs " + missing +
                                           " (a mass as a number of kg); nothing was written");
    return values;
}

}  // namespace stdhost
