#pragma once
// A standards package: the national rows of a standard table as one UTF-8
// text file that a person can read and a diff tool can compare, with a
// header that names it and pins its rows.
//
//   standards-package<TAB>1
//   name<TAB>GB 7258-2017 national limits
//   version<TAB>2027.1
//   effective<TAB>2027-01-01
//   issuer<TAB>Provincial inspection centre
//   rows<TAB>1309
//   sha256<TAB><64 lowercase hex digits: SHA-256 of every byte after the column line>
//   item<TAB>type<TAB>condition<TAB>param<TAB>upper<TAB>lower
//   200<TAB>车速表检验台<TAB>40公里<TAB>2001<TAB>40.00<TAB>32.80
//   ...
//
// The header lines come in this order, each exactly once; the column line
// ends the header. Every line ends in LF (a CR before it is taken off when
// reading; the digest covers the bytes as they are). A row is the item id,
// the device type text, the condition, the parameter id, the upper and the
// lower limit as tb_id_standard stores them (texts of at most 20 bytes that
// read as decimal numbers, or empty). No row repeats (item, condition,
// parameter). The package is signed as a whole, byte for byte, by a detached
// signature file beside it (package_signature.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace stdhost {

inline constexpr char kPackageMagic[] = "standards-package";
inline constexpr int kPackageFormat = 1;

struct PackageHeader {
    std::string name;       // UTF-8, not empty, no TAB/CR/LF
    std::string version;    // UTF-8, not empty
    std::string effective;  // "YYYY-MM-DD", a real date
    std::string issuer;     // UTF-8, not empty
    std::size_t rows = 0;   // rows that follow the column line
    std::string sha256;     // of the rows' bytes, lowercase hex
    bool operator==(const PackageHeader &) const = default;
};

// One limit row. Texts are UTF-8 (each has a GBK form: the lines judge in
// GBK); `line` is the row's 1-based line number in the file (0 when made in
// memory).
struct PackageRow {
    std::int32_t itemid = 0;
    std::string type;
    std::string condition;  // at most 149 bytes in GBK
    std::int32_t paramid = 0;
    std::string upper;
    std::string lower;
    std::size_t line = 0;
    bool operator==(const PackageRow &) const = default;
};

struct StandardsPackage {
    PackageHeader header;
    std::vector<PackageRow> rows;  // in file order
    bool operator==(const StandardsPackage &) const = default;
};

// Reads a whole package from `bytes`. False with `error` set to
// "SOURCE:LINE:COLUMN: what is wrong" (COLUMN 1-based, counted in fields;
// LINE and COLUMN left out where the fault is the whole file: empty, not
// UTF-8, digest or row count that the rows do not give). The header's
// `rows` and `sha256` must agree with the rows read. A package with no row
// is refused. On a fault `package` is left as it was.
bool ReadStandardsPackage(std::string_view bytes, const std::string &source,
                          StandardsPackage &package, std::string &error);

// The text of a package holding `rows` in the given order; `header.rows`
// and `header.sha256` are computed here (the given values are ignored) and,
// when `written` is given, put there with the rest of the header.
// Throws std::invalid_argument for a header or row field that the reader
// would refuse (a TAB in a text, a bad date, ...).
std::string WriteStandardsPackage(const PackageHeader &header, const std::vector<PackageRow> &rows,
                                  PackageHeader *written = nullptr);

}  // namespace stdhost
