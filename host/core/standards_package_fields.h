#pragma once
// The checks of a standards package's fields that its reader and its writer
// share, so that the writer never makes a file the reader refuses. Each
// returns "" for a good field, else what is wrong in a few English words.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory_resource>
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

// What a column's texts are known by: the length of the GBK form (npos when
// there is none) and a number of its own (from 1), the same for equal texts.
struct KnownText {
    std::size_t gbkBytes = 0;
    std::uint32_t id = 0;
};

// The texts of one column. Remembers those it has seen (a package repeats
// its types and conditions by the thousand, mostly on neighbouring lines:
// the last one is kept at hand); the views it keeps must outlive it.
class ColumnTexts {
  public:
    const KnownText &Of(std::string_view utf8) {
        if (!hasLast_ || utf8 != last_) {
            last_ = utf8;
            lastText_ = Lookup(utf8);
            hasLast_ = true;
        }
        return lastText_;
    }

  private:
    KnownText Lookup(std::string_view utf8);

    std::unordered_map<std::string_view, KnownText> known_;
    std::string gbk_;
    bool hasLast_ = false;
    std::string_view last_;
    KnownText lastText_;
};

// The rows of a package by (item, condition, parameter), the condition by
// its number in its ColumnTexts: a lookup compares three integers.
class RowKeys {
  public:
    explicit RowKeys(std::size_t expected) : set_(expected, Hash(), std::equal_to<Key>(), &pool_) {}
    // Takes the key of row `index`; npos, or the index of the earlier row
    // with the same key (then nothing is taken).
    std::size_t Add(std::int32_t itemid, std::uint32_t condition, std::int32_t paramid,
                    std::size_t index);

  private:
    struct Key {
        std::int32_t itemid, paramid;
        std::uint32_t condition;
        std::size_t index;
        bool operator==(const Key &o) const {
            return itemid == o.itemid && paramid == o.paramid && condition == o.condition;
        }
    };
    struct Hash {
        std::size_t operator()(const Key &key) const noexcept;
    };
    // The nodes of one read live and die together: one pool, no free each.
    std::pmr::monotonic_buffer_resource pool_;
    std::pmr::unordered_set<Key, Hash> set_;
};

}  // namespace stdhost::package
