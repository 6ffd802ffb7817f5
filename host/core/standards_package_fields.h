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
// thousand, mostly on neighbouring lines: one object per column keeps the
// last text at hand); the views it keeps must outlive it.
class GbkLengths {
  public:
    std::size_t Of(std::string_view utf8) {
        if (utf8 != last_) {
            last_ = utf8;
            lastLength_ = Lookup(utf8);
        }
        return lastLength_;
    }

  private:
    std::size_t Lookup(std::string_view utf8);

    std::unordered_map<std::string_view, std::size_t> known_;
    std::string gbk_;
    std::string_view last_;
    std::size_t lastLength_ = 0;  // of the empty text
};

// The rows of a package by (item, condition, parameter). The set holds the
// keys themselves (the condition as a view the caller keeps alive), so a
// lookup reads no row.
class RowKeys {
  public:
    explicit RowKeys(std::size_t expected) : set_(expected) {}
    // Takes the key of row `index`; npos, or the index of the earlier row
    // with the same key (then nothing is taken).
    std::size_t Add(std::int32_t itemid, std::string_view condition, std::int32_t paramid,
                    std::size_t index);

  private:
    struct Key {
        std::int32_t itemid, paramid;
        std::string_view condition;
        std::size_t index;
        bool operator==(const Key &o) const {
            return itemid == o.itemid && paramid == o.paramid && condition == o.condition;
        }
    };
    struct Hash {
        std::size_t operator()(const Key &key) const noexcept;
    };
    std::unordered_set<Key, Hash> set_;
};

}  // namespace stdhost::package
