#pragma once
// The code dictionary: the names of parameter IDs and of their coded values,
// and the main code of each sub-code.
//
// A parameter ID has 4 digits (1000..9999); a code is the parameter ID times
// 10000 plus a running number 1..9999, so it has 8 digits and code / 10000 is
// its parameter. A sub-code names a variant of a main code of the same
// parameter (10820100, a kind of saloon, of 10820001); main codes are never
// sub-codes themselves, so one step always reaches the main code.
//
// The dictionary is read from a UTF-8 TSV file (its format is described at the
// top of plinth-codes.tsv) and holds every name in GBK. Reading is strict: a
// row that breaks the format, repeats a key or has a name with no GBK form is
// skipped with a trace line, and the other rows are kept.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace plinth {

inline constexpr int kCodeFactor = 10000;
inline constexpr int kMinParameter = 1000;
inline constexpr int kMaxParameter = 9999;
inline constexpr int kMinCode = kMinParameter * kCodeFactor;
inline constexpr int kMaxCode = kMaxParameter * kCodeFactor + (kCodeFactor - 1);

class CodeDictionary {
  public:
    struct Entry {
        std::string name;  // GBK, trimmed, not empty
        int mainCode = 0;  // 0 unless the key is a sub-code
    };

    // Rows of a UTF-8 TSV text; `source` names it in trace lines.
    static CodeDictionary FromTsv(std::string_view utf8, std::string_view source);
    // An unreadable file gives an empty dictionary and a trace line.
    static CodeDictionary FromFile(const std::string &path);

    // The entry of a code or a parameter ID, or null.
    const Entry *Find(int key) const;
    bool NamesParameter(int paramId) const;
    // The main code of a sub-code; every other number unchanged.
    int MainCode(int code) const;
    // The smallest code of `paramId` named exactly `gbkName`, or 0.
    int CodeNamed(int paramId, std::string_view gbkName) const;
    std::size_t Size() const { return entries_.size(); }

  private:
    std::map<int, Entry> entries_;
};

// This library's dictionary, loaded on first use from $PLINTH_CODES when set
// and non-empty, else from plinth-codes.tsv beside libplinth.so.
const CodeDictionary &Dictionary();

}  // namespace plinth
