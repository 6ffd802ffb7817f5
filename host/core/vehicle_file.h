#pragma once
// Vehicle files: information parameters as a line program sends them, one
// "ID=TEXT" per line (UTF-8), '#' comments and blank lines ignored.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace stdhost {

using InfoValue = std::pair<int, std::string>;  // parameter ID 1..65535, UTF-8 text

// "ID=TEXT" with an ID of 1 to 65535.
bool ParseAssignment(const std::string &text, InfoValue &out);

// A vehicle file holds a few dozen short lines: anything larger is not one.
inline constexpr std::size_t kVehicleFileBytes = 16 * 1024;

// A vehicle file that cannot be used: the option that named it and, in
// words, why. what() is "OPTION: REASON".
class VehicleFileError : public std::invalid_argument {
  public:
    VehicleFileError(const std::string &option, const std::string &reason)
        : std::invalid_argument(option + ": " + reason), option_(option), reason_(reason) {}
    const std::string &Option() const { return option_; }
    const std::string &Reason() const { return reason_; }

  private:
    std::string option_;
    std::string reason_;
};

// The values of a vehicle file in file order ("-": the standard input).
// Throws VehicleFileError naming `option` for a file that is missing, not a
// regular file, larger than kVehicleFileBytes or cannot be read, or a bad
// line.
std::vector<InfoValue> LoadVehicleFile(const std::string &path, const std::string &option);

// A vehicle file that describes a vehicle for a default standard: read as
// LoadVehicleFile reads it, not empty, with the vehicle kind (1082) and the
// total and kerb masses (1088, 1083) given, the masses as numbers. Throws
// VehicleFileError naming `option`, the file and what is missing or wrong;
// nothing else is read.
std::vector<InfoValue> LoadDefaultVehicleFile(const std::string &path, const std::string &option);

}  // namespace stdhost
