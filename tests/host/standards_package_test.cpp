// The standards package file: what the writer makes reads back to the same
// rows, and every malformed file is refused at the line and field at fault.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sha256.h"
#include "standards_package.h"

namespace {

using stdhost::PackageHeader;
using stdhost::PackageRow;
using stdhost::StandardsPackage;

PackageHeader Header() {
    PackageHeader h;
    h.name = "GB 7258-2017 national limits";
    h.version = "2027.1";
    h.effective = "2027-01-01";
    h.issuer = "省检验中心";
    return h;
}

std::vector<PackageRow> Rows() {
    return {
        {200, "车速表检验台", "40公里", 2001, "40.00", "32.80", 0},
        {200, "车速表检验台", "40公里", 2002, "", "", 0},
        {276, "", "液压/乘用车", 2761, "-1.5", "1e2", 0},
        {308, "制动检验台", "制动", 3081, "60", "", 0},
    };
}

// The fourth row's condition is 74 Chinese characters and a letter: 149
// bytes in GBK, the most a condition holds.
std::vector<PackageRow> RowsWithLongCondition() {
    std::vector<PackageRow> rows = Rows();
    std::string condition;
    for (int i = 0; i < 74; ++i) condition += "制";
    rows[3].condition = condition + "x";
    return rows;
}

// A package of `rows` (row lines without their LF) whose header's count and
// digest agree with them, each line ended by `eol`.
std::string Package(const std::vector<std::string> &rows, const std::string &eol = "\n") {
    std::string body;
    for (const std::string &row : rows) body += row + eol;
    std::string text = "standards-package\t1" + eol + "name\tn" + eol + "version\tv" + eol +
                       "effective\t2027-01-01" + eol + "issuer\ti" + eol + "rows\t" +
                       std::to_string(rows.size()) + eol + "sha256\t" +
                       platform::HexOf(platform::Sha256Of(body)) + eol +
                       "item\ttype\tcondition\tparam\tupper\tlower" + eol;
    return text + body;
}

std::string Replace(std::string text, const std::string &from, const std::string &to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

const std::string kRow1 = "200\t车速表检验台\t40公里\t2001\t40.00\t32.80";
const std::string kRow2 = "201\t车速表检验台\t60公里\t2011\t60.00\t51.00";

TEST(StandardsPackage, WhatTheWriterWritesReadsBackTheSame) {
    PackageHeader header = Header();
    header.rows = 99;  // ignored: the writer counts
    const std::vector<PackageRow> rows = RowsWithLongCondition();
    const std::string text = stdhost::WriteStandardsPackage(header, rows);

    const std::string body = text.substr(text.find("lower\n") + 6);
    EXPECT_EQ(text.substr(0, text.find("sha256\t")),
              "standards-package\t1\nname\tGB 7258-2017 national limits\nversion\t2027.1\n"
              "effective\t2027-01-01\nissuer\t省检验中心\nrows\t4\n");
    EXPECT_NE(text.find("sha256\t" + platform::HexOf(platform::Sha256Of(body)) +
                        "\nitem\ttype\tcondition\tparam\tupper\tlower\n200\t车速表检验台\t40公里\t"
                        "2001\t40.00\t32.80\n200\t车速表检验台\t40公里\t2002\t\t\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);

    StandardsPackage read;
    std::string error;
    ASSERT_TRUE(stdhost::ReadStandardsPackage(text, "p", read, error)) << error;
    header.rows = 4;
    header.sha256 = platform::HexOf(platform::Sha256Of(body));
    EXPECT_EQ(read.header, header);
    ASSERT_EQ(read.rows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        PackageRow expected = rows[i];
        expected.line = 9 + i;
        EXPECT_EQ(read.rows[i], expected) << "row " << i;
    }
}

TEST(StandardsPackage, CrlfLinesAndAFinalLineWithoutLfAreTaken) {
    StandardsPackage lf, crlf, open;
    std::string error;
    ASSERT_TRUE(stdhost::ReadStandardsPackage(Package({kRow1, kRow2}), "p", lf, error)) << error;
    ASSERT_TRUE(stdhost::ReadStandardsPackage(Package({kRow1, kRow2}, "\r\n"), "p", crlf, error))
        << error;
    EXPECT_EQ(crlf.rows, lf.rows);
    // The digest covers the bytes as they are: without the last LF it is another.
    std::string text = Package({kRow1, kRow2});
    text.pop_back();
    const std::string body = kRow1 + "\n" + kRow2;
    text = Replace(text, platform::HexOf(platform::Sha256Of(body + "\n")),
                   platform::HexOf(platform::Sha256Of(body)));
    ASSERT_TRUE(stdhost::ReadStandardsPackage(text, "p", open, error)) << error;
    EXPECT_EQ(open.rows, lf.rows);
}

struct Refusal {
    const char *what;
    std::string bytes;
    std::string error;
};

std::vector<Refusal> Refusals() {
    const std::string good = Package({kRow1, kRow2});
    const std::string digest = platform::HexOf(platform::Sha256Of(kRow1 + "\n" + kRow2 + "\n"));
    auto row = [](const std::string &line) { return Package({kRow1, line}); };
    const std::string notUtf8 = row("201\tx\t60\xff\t2011\t\t");
    return {
        {"empty", "", "p: empty file"},
        {"a byte that is no UTF-8", notUtf8,
         "p: not UTF-8 (byte " + std::to_string(notUtf8.find('\xff')) + " starts no character)"},
        {"an overlong slash", row("201\tx\t\xc0\xaf\t2011\t\t"), "p: not UTF-8"},
        {"a surrogate", row("201\tx\t\xed\xa0\x80\t2011\t\t"), "p: not UTF-8"},
        {"above U+10FFFF", row("201\tx\t\xf4\x90\x80\x80\t2011\t\t"), "p: not UTF-8"},
        {"a sequence cut by the end", good + "\xe8\xbd", "p: not UTF-8"},
        {"no package", Replace(good, "standards-package", "standard-package"),
         "p:1:1: not a standards package (the first line is not \"standards-package<TAB>1\")"},
        {"another format", Replace(good, "package\t1", "package\t2"),
         "p:1:2: package format \"2\" is not known (this program reads format 1)"},
        {"headers out of order", Replace(good, "name\tn\nversion\tv", "version\tv\nname\tn"),
         "p:2:1: header \"name\" missing before \"version\""},
        {"a header twice", Replace(good, "version\tv", "name\tv"),
         "p:3:1: header \"name\" repeated (first on line 2)"},
        {"no date", Replace(good, "2027-01-01", "2027-02-29"),
         "p:4:2: \"2027-02-29\" is not a date (YYYY-MM-DD)"},
        {"an empty issuer", Replace(good, "issuer\ti", "issuer\t"),
         "p:5:2: header \"issuer\" empty"},
        {"a header cut short", "standards-package\t1\nname\tn\nversion\tv\n",
         "p:4:1: the file ends before the header \"effective\""},
        {"no column line", Replace(good, "param\tupper", "parameter\tupper"),
         "p:8:4: expected the column line "
         "\"item<TAB>type<TAB>condition<TAB>param<TAB>upper<TAB>lower\""},
        {"a field missing", row("201\tx\t60公里\t2011\t60.00"),
         "p:10:6: expected 6 fields, found 5"},
        {"a field too many", row(kRow2 + "\t"), "p:10:7: expected 6 fields, found 7"},
        {"item 0", row("0\tx\tc\t2011\t\t"),
         "p:10:1: \"0\" is not an item id (a whole number from 1 to 2147483647)"},
        {"a parameter over 2^31 - 1", row("201\tx\tc\t2147483648\t\t"),
         "p:10:4: \"2147483648\" is not a parameter id (a whole number from 1 to 2147483647)"},
        {"an emoji", row("201\tx\t😀\t2011\t\t"), "p:10:3: the condition \"😀\" has no GBK form"},
        {"an empty condition", row("201\tx\t\t2011\t\t"), "p:10:3: the condition is empty"},
        {"a condition ending in a blank", row("201\tx\tc \t2011\t\t"),
         "p:10:3: the condition \"c \" has blanks at its start or end"},
        {"a condition of 150 GBK bytes", row("201\tx\t" + std::string(150, 'c') + "\t2011\t\t"),
         "p:10:3: the condition is longer than 149 bytes in GBK"},
        {"a type of 65 GBK bytes", row("201\t" + std::string(65, 't') + "\tc\t2011\t\t"),
         "p:10:2: the type is longer than 64 bytes in GBK"},
        {"an upper limit that is no number", row("201\tx\tc\t2011\t6O\t"),
         "p:10:5: the upper limit \"6O\" is not a decimal number"},
        {"an infinite lower limit", row("201\tx\tc\t2011\t\tinf"),
         "p:10:6: the lower limit \"inf\" is not a decimal number"},
        {"a lower limit of 21 bytes", row("201\tx\tc\t2011\t\t" + std::string(21, '1')),
         "p:10:6: the lower limit is longer than 20 bytes"},
        {"a NUL", row(std::string("201\tx\tc\0d\t2011\t\t", 17)), "p:10:3: a NUL byte"},
        {"a CR inside a line", row("201\tx\tc\rd\t2011\t\t"), "p:10:3: a CR inside the line"},
        {"a repeated key", Package({kRow1, kRow2, "200\tx\t40公里\t2001\t1\t2"}),
         "p:11:1: item 200, condition \"40公里\", parameter 2001 repeats line 9"},
        {"a row more than the header says", Replace(good, "rows\t2", "rows\t3"),
         "p: the header says 3 rows, the file holds 2"},
        {"a changed row", Replace(good, "51.00", "52.00"),
         "p: the rows do not give the header's sha256: the file was changed after it was written"},
        {"no rows", Package({}), "p: the package has no rows"},
        {"an empty last line",
         Replace(good + "\n", digest,
                 platform::HexOf(platform::Sha256Of(kRow1 + "\n" + kRow2 + "\n\n"))),
         "p:11:2: expected 6 fields, found 1"},
    };
}

TEST(StandardsPackage, RefusesAMalformedFileAtTheLineAndFieldAtFault) {
    for (const Refusal &r : Refusals()) {
        StandardsPackage package;
        package.header.name = "untouched";
        std::string error;
        EXPECT_FALSE(stdhost::ReadStandardsPackage(r.bytes, "p", package, error)) << r.what;
        // Most UTF-8 cases are checked up to the byte they name.
        if (r.error == "p: not UTF-8") {
            EXPECT_EQ(error.rfind("p: not UTF-8 (byte ", 0), 0u) << error;
        } else {
            EXPECT_EQ(error, r.error) << r.what;
        }
        EXPECT_EQ(package.header.name, "untouched") << r.what;
    }
}

TEST(StandardsPackage, TheWriterRefusesWhatTheReaderWould) {
    const auto refuses = [](const PackageHeader &header, const std::vector<PackageRow> &rows) {
        EXPECT_THROW(stdhost::WriteStandardsPackage(header, rows), std::invalid_argument);
    };
    PackageHeader header = Header();
    header.effective = "2027-13-01";
    refuses(header, Rows());
    header = Header();
    header.name = "a\tb";
    refuses(header, Rows());
    refuses(Header(), {});
    const auto changed = [](void (*change)(PackageRow &)) {
        std::vector<PackageRow> rows = Rows();
        change(rows[1]);
        return rows;
    };
    refuses(Header(), changed([](PackageRow &r) { r.condition = "40\t公里"; }));
    refuses(Header(), changed([](PackageRow &r) { r.condition = "😀"; }));
    refuses(Header(), changed([](PackageRow &r) { r.type = "\xff"; }));
    refuses(Header(), changed([](PackageRow &r) { r.lower = "1\r"; }));
    refuses(Header(), changed([](PackageRow &r) { r.upper = "1.0.0"; }));
    refuses(Header(), changed([](PackageRow &r) { r.itemid = 0; }));
    refuses(Header(), changed([](PackageRow &r) { r.paramid = 2001; }));  // the key of row 1
}

}  // namespace
