#pragma once
// Tab-separated text of the seed: the hand-written source files the seed is
// generated from, and the seed tables themselves (UTF-8; first line the
// column names, integer columns named with a ":int" suffix).
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace seed {

// Any fault of the sources or of the seed: the message names file and line.
class SeedError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// platform::SplitFields's fields of `line`, as owned strings.
std::vector<std::string> SplitFields(std::string_view line, char separator = '\t');

// A line of a source file with its number (1-based) for messages.
struct SourceLine {
    int number = 0;
    std::vector<std::string> fields;
};

// Reads a source file: lines starting with '#' and blank lines are skipped;
// every other line must have exactly `fieldCount` fields, none empty.
// Throws SeedError when the file cannot be read or a line is malformed.
std::vector<SourceLine> ReadSourceFile(const std::string &path, size_t fieldCount);

// Whole decimal integer (optional '-'); false for anything else.
bool ParseInt(std::string_view text, int &value);
// Whole decimal number such as "-0.25" or "18000"; false for anything else.
bool ParseDecimal(std::string_view text, double &value);
// A limit as the station's programs store it: two decimals ("12.50").
std::string FormatLimit(double value);

// One seed table: written as `<name>.tsv`.
struct SeedTable {
    std::string name;
    std::vector<std::string> columns;  // "devid:int", "devname", ...
    std::vector<std::vector<std::string>> rows;

    std::string Text() const;
};

}  // namespace seed
