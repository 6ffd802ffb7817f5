// stdhost editor: each dialog of the standards editor rendered offscreen from a
// station with a series standard, and the interactive editor refused (not
// crashed) without a display.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "stdhost_runner.h"
#include "temp_dir.h"

namespace {

using stdhost_test::kSedan;
using stdhost_test::Outcome;
using testing_support::FileExists;
using testing_support::ReadBytes;
using testing_support::TempDir;

const std::string kNoDisplay = "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";

// Width and height from a PNG's IHDR chunk; {0, 0} for anything else.
std::pair<uint32_t, uint32_t> PngSize(const std::string &bytes) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    auto be32 = [&](std::size_t at) {
        uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i)
            v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    return {be32(16), be32(20)};
}

class EditorCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        Outcome init = stdhost_test::RunStdhost("init-station " + Dir());
        ASSERT_EQ(init.exitCode, 0) << init.out;
        Outcome gen = Stdhost("series generate 大众 捷达 --default " + kSedan);
        ASSERT_EQ(gen.exitCode, 0) << gen.out;
    }
    std::string Dir() const { return dir_.File("station"); }
    // Without a display, whatever the caller's session has.
    Outcome Stdhost(const std::string &args) {
        return stdhost_test::RunStdhost("--station " + Dir() + " " + args, kNoDisplay);
    }
    TempDir dir_;
};

TEST_F(EditorCommand, RendersEveryDialogOfASeriesToAPng) {
    const std::string main = dir_.File("main.png");
    Outcome run =
        Stdhost("editor --screenshot " + main + " --brand 大众 --series 捷达 --size 900x640");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(PngSize(ReadBytes(main)), std::make_pair(900u, 640u));

    for (const std::string dialog : {"conditions", "mask", "limit"}) {
        const std::string png = dir_.File(dialog + ".png");
        run = Stdhost("editor --screenshot " + png + " --dialog " + dialog +
                      " --brand 大众 --series 捷达");
        ASSERT_EQ(run.exitCode, 0) << dialog << ": " << run.out;
        const auto size = PngSize(ReadBytes(png));
        // A dialog of its own, smaller than the main dialog's 1024x720.
        EXPECT_GT(size.first, 100u) << dialog;
        EXPECT_GT(size.second, 50u) << dialog;
        EXPECT_LT(size.first * size.second, 1024u * 720u) << dialog;
    }
}

TEST_F(EditorCommand, RefusesWithoutADisplayOrWithBadArguments) {
    Outcome run = Stdhost("editor");
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find("no display: set DISPLAY, or use --screenshot"), std::string::npos)
        << run.out;

    const std::string png = dir_.File("x.png");
    EXPECT_EQ(Stdhost("editor --screenshot " + png + " --brand 大众 --series 无此车系").exitCode,
              6);
    EXPECT_EQ(Stdhost("editor --screenshot " + png + " --brand 大众").exitCode, 2);
    EXPECT_EQ(Stdhost("editor --screenshot " + png + " --dialog help").exitCode, 2);
    EXPECT_EQ(Stdhost("editor --dialog mask").exitCode, 2);
    EXPECT_EQ(Stdhost("editor --screenshot " + png + " --size 12x").exitCode, 2);
    EXPECT_FALSE(FileExists(png));
    // A directory cannot take the file.
    EXPECT_EQ(Stdhost("editor --screenshot " + dir_.Path()).exitCode, 1);
    EXPECT_EQ(Stdhost("editor --screenshot ''").exitCode, 2);
}

// A station whose catalogue cannot be read gives no picture of an empty list.
TEST_F(EditorCommand, AStationWithoutACatalogueGivesNoPicture) {
    const std::string png = dir_.File("x.png");
    testing_support::WriteBytes(Dir() + "/station.db", "this is not a database, just text\n");
    Outcome run = Stdhost("editor --screenshot " + png);
    EXPECT_NE(run.exitCode, 0) << run.out;
    EXPECT_NE(run.out.find("reading the catalogue failed"), std::string::npos) << run.out;
    EXPECT_FALSE(FileExists(png));
}

}  // namespace
