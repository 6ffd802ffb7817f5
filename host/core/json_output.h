#pragma once
// JSON that stdhost writes: built with nlohmann::json, keys in the order they
// are set, printed as one line of UTF-8.
#include <nlohmann/json.hpp>
#include <string>

namespace stdhost {

// Objects keep their keys in insertion order, so output reads as it is built.
using Json = nlohmann::ordered_json;

// A limit as a JSON number with the value LimitText prints ("%g"): 0.55
// stays 0.55 rather than the float's 0.550000011920929, and a whole number is
// written without a fraction. A value beyond float (the loader's infinities)
// or not a number is null.
Json LimitJson(float value);

// {"param": paramId, "name": name, "lower": LimitJson(lower), "upper": LimitJson(upper)}:
// one limit of a parameter, `name` in UTF-8.
Json LimitEntryJson(int paramId, const std::string &name, float lower, float upper);

// Prints `value` and a newline to standard output. Text that is not valid
// UTF-8 is written with U+FFFD in its place rather than failing the command.
void PrintJson(const Json &value);

}  // namespace stdhost
