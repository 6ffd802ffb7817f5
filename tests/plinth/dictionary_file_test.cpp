// Reading the code dictionary file: strict rows, $PLINTH_CODES, a missing
// file. Each test opens its own copy of the library, whose dictionary is
// loaded afresh on first use.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plinth.h"
#include "plinth_copy.h"
#include "temp_dir.h"

namespace {

using plinth_test::PlinthCopy;
using plinth_test::ScopedEnv;
using testing_support::Gbk;
using testing_support::TempDir;

// The code functions of one copy of the library.
struct Codes {
    explicit Codes(const PlinthCopy &copy)
        : nameOf(copy.Get<int(int, char *)>("GetZK2IDInfo")),
          mainOf(copy.Get<int(int)>("GetMainID")),
          isCode(copy.Get<int(int)>("IsSubID_int")) {}

    std::string Name(int key) const {
        char out[PLINTH_NAME_BYTES];
        return nameOf(key, out) == 1 ? std::string(out) : "<unknown>";
    }

    int (*nameOf)(int, char *);
    int (*mainOf)(int);
    int (*isCode)(int);
};

std::string Repeat(const std::string &s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(DictionaryFile, BadRowsAreSkippedWithATraceLine) {
    const std::string longName = Repeat("中", 60);  // 120 GBK bytes
    const std::string tsv =
        "\xEF\xBB\xBF# comment\n"         // 1 (BOM)
        "1082\t车辆类型\r\n"              // 2
        "10820001\t 轿车 \n"              // 3
        "10820002\t\xFF\xFE\n"            // 4 not UTF-8
        "10820003\t\xF0\x9F\x98\x80\n"    // 5 no GBK form
        "10820004\t越野车\t\n"            // 6 empty main column
        "1082001\t七位\n"                 // 7 key of 7 digits
        "10820000\t零号\n"                // 8 running number 0
        "0999\t小号\n"                    // 9 parameter below 1000
        "10820005\n"                      // 10 no name
        "10820006\t \n"                   // 11 blank name
        "10820001\t重复\n"                // 12 repeated key
        "10820007\t多列\tx\ty\n"          // 13 four columns
        "10820100\t微型轿车\t10820001\n"  // 14
        "10820101\t跨参数\t10370001\n"    // 15 main of another parameter
        "10820102\t无主\t10820099\n"      // 16 main not in the file
        "10820103\t链式\t10820100\n"      // 17 main is a sub-code
        "1037\t制动方式\t10370001\n"      // 18 a parameter with a main
        "10820008\ta\x01"
        "b\n"  // 19 control byte
        "10820009\t" +
        longName +
        "\n"  // 20
        "10820010\ta" +
        longName + "\n";  // 21
    PlinthCopy copy(tsv, std::nullopt);
    TempDir traceDir;
    ScopedEnv trace("STATION_TRACE", traceDir.File("trace.log"));
    ScopedEnv codes("PLINTH_CODES", std::nullopt);
    const Codes c(copy);

    EXPECT_EQ(c.Name(1082), Gbk("车辆类型"));
    EXPECT_EQ(c.Name(10820001), Gbk("轿车"));
    EXPECT_EQ(c.Name(10820004), Gbk("越野车"));
    EXPECT_EQ(c.mainOf(10820004), 10820004);
    EXPECT_EQ(c.mainOf(10820100), 10820001);
    for (int skipped : {10820002, 10820003, 10820005, 10820006, 10820007, 10820000, 10820101,
                        10820102, 10820103, 1037, 10820008})
        EXPECT_EQ(c.Name(skipped), "<unknown>") << skipped;
    for (int sub : {10820101, 10820102, 10820103}) EXPECT_EQ(c.mainOf(sub), sub);
    EXPECT_EQ(c.isCode(10370001), 0) << "parameter 1037 was skipped";

    // Names longer than 99 bytes are handed out cut at a character boundary.
    EXPECT_EQ(c.Name(10820009), Gbk(Repeat("中", 49)));
    EXPECT_EQ(c.Name(10820010), "a" + Gbk(Repeat("中", 49)));

    const std::string log = testing_support::ReadBytes(traceDir.File("trace.log"));
    for (int line : {4, 5, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17, 18, 19})
        EXPECT_NE(log.find(":" + std::to_string(line) + ": "), std::string::npos) << line;
    for (int line : {1, 2, 3, 6, 14, 20, 21})
        EXPECT_EQ(log.find(":" + std::to_string(line) + ": "), std::string::npos) << line;
}

TEST(DictionaryFile, EnvironmentNamesAnotherFile) {
    TempDir dir;
    testing_support::WriteBytes(dir.File("other.tsv"), "1082\tB\n10820001\tb1\n");
    PlinthCopy copy(std::string("1082\tA\n"), std::nullopt);
    ScopedEnv codes("PLINTH_CODES", dir.File("other.tsv"));
    const Codes c(copy);
    EXPECT_EQ(c.Name(1082), "B");
    EXPECT_EQ(c.Name(10820001), "b1");
}

TEST(DictionaryFile, MissingFileGivesAnEmptyDictionary) {
    PlinthCopy copy(std::nullopt, std::nullopt);
    TempDir traceDir;
    ScopedEnv trace("STATION_TRACE", traceDir.File("trace.log"));
    ScopedEnv codes("PLINTH_CODES", std::nullopt);
    const Codes c(copy);
    EXPECT_EQ(c.isCode(10820001), 0);
    EXPECT_EQ(c.mainOf(10820100), 10820100);
    EXPECT_EQ(c.Name(1082), "<unknown>");
    EXPECT_NE(testing_support::ReadBytes(traceDir.File("trace.log")).find("plinth-codes.tsv"),
              std::string::npos);
}

}  // namespace
