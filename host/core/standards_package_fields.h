#pragma once
// The checks of a standards package's fields that its reader and its writer
// share, so that the writer never makes a file the reader refuses. Each
// returns "" for a good field, else what is wrong in a few English words.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "standards_package.h"

namespace stdhost::package {

inline constexpr char kColumnLine[] = "item\ttype\tcondition\tparam\tupper\tlower";
inline constexpr std::size_t kRowFields = 6;
inline constexpr std::size_t kTypeGbkBytes = 64;
inline constexpr std::size_t kConditionGbkBytes = 149;
inline constexpr std::size_t kLimitBytes = 20;

// The header lines after the first, in their order.
inline constexpr const char *kHeaderKeys[] = {"name",   "version", "effective",
                                              "issuer", "rows",    "sha256"};
inline constexpr std::size_t kHeaderKeyCount = std::size(kHeaderKeys);

// name, version, issuer: not empty, no TAB, CR, LF nor NUL.
std::string HeaderTextProblem(std::string_view text);
// "YYYY-MM-DD", a date of the Gregorian calendar from year 1.
std::string DateProblem(std::string_view text);
// 64 lowercase hex digits.
std::string DigestProblem(std::string_view text);
// An item or parameter id: a whole number from 1 to 2^31 - 1.
std::string IdProblem(std::string_view text, const char *what, std::int32_t &id);
// An upper or lower limit: empty, or at most 20 bytes reading as a finite
// decimal number of the float range.
std::string LimitProblem(std::string_view text, const char *what);
// The device type and the condition, given the length of their GBK form
// (std::string::npos when they have none).
std::string TypeProblem(std::string_view utf8, std::size_t gbkBytes);
std::string ConditionProblem(std::string_view utf8, std::size_t gbkBytes);

// The length of the GBK form of `utf8`, npos when it has none. Remembers
// the texts it has seen (a package repeats its types and conditions by the
// thousand); the views it keeps must outlive it.
class GbkLengths {
  public:
    std::size_t Of(std::string_view utf8);

  private:
    std::unordered_map<std::string_view, std::size_t> known_;
    std::string gbk_;
};

// The rows of a package by (item, condition, parameter): Add() answers the
// index of an earlier row with the same key, or npos after taking the row.
// The rows are held by index, so `rows` may grow while the set lives.
class RowKeys {
  public:
    RowKeys(const std::vector<PackageRow> &rows, std::size_t expected);
    std::size_t Add(std::size_t index);

  private:
    struct Hash {
        const std::vector<PackageRow> *rows;
        std::size_t operator()(std::size_t i) const;
    };
    struct Equal {
        const std::vector<PackageRow> *rows;
        bool operator()(std::size_t a, std::size_t b) const;
    };
    std::unordered_set<std::size_t, Hash, Equal> set_;
};

}  // namespace stdhost::package
