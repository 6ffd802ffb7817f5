#include "vehicle_file.h"

#include <cstdlib>
#include <sstream>

#include "engine/registration_params.h"
#include "table_text.h"

namespace stdhost {
namespace {

bool ParseId(const std::string &text, int &id) {
    char *end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    // The whole text: a NUL inside it ends strtol's reading, not the ID.
    if (text.empty() || end != text.c_str() + text.size() || v < 1 || v > 65535) return false;
    id = static_cast<int>(v);
    return true;
}

// A value a default standard cannot do without: present, not blank, and a
// number where `number` asks for one.
bool Given(const std::vector<InfoValue> &values, int id, bool number) {
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        if (it->first != id) continue;
        const auto first = it->second.find_first_not_of(" \t");
        if (first == std::string::npos) return false;
        if (!number) return true;
        const std::string text = it->second.substr(first);
        char *end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        while (end != nullptr && (*end == ' ' || *end == '\t')) ++end;
        return end != text.c_str() && end != nullptr && *end == '\0' && v > 0;
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
