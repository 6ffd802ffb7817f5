#include "vehicle_file.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <sstream>

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

}  // namespace

bool ParseAssignment(const std::string &text, InfoValue &out) {
    auto eq = text.find('=');
    return eq != std::string::npos && ParseId(text.substr(0, eq), out.first) &&
           (out.second = text.substr(eq + 1), true);
}

std::vector<InfoValue> ReadVehicleFile(const std::string &path, const std::string &option) {
    std::string bytes, why;
    if (!ReadTextInput(path, kVehicleFileBytes, "the vehicle file", bytes, why))
        throw CLI::ValidationError(option, why);
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
            throw CLI::ValidationError(option,
                                       path + ":" + std::to_string(lineNo) + ": expected ID=TEXT");
        values.push_back(a);
    }
    return values;
}

}  // namespace stdhost
