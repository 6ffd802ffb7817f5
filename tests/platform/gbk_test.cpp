#include "platform/gbk.h"

#include <gtest/gtest.h>

#include "gbk_texts.h"
#include "platform/errors.h"
#include "temp_dir.h"

using testing_support::Gbk;

TEST(GbkConversion, RoundTripsChineseText) {
    std::string gbk, back;
    ASSERT_TRUE(platform::Utf8ToGbk("液压制动/轿车", gbk));
    EXPECT_EQ(gbk, "\xd2\xba\xd1\xb9\xd6\xc6\xb6\xaf/\xbd\xce\xb3\xb5");
    ASSERT_TRUE(platform::GbkToUtf8(gbk, back));
    EXPECT_EQ(back, "液压制动/轿车");
}

TEST(GbkConversion, IsStrict) {
    std::string out = "untouched";
    // U+1F600 has no GBK form; a lone lead byte and an invalid pair are not GBK.
    EXPECT_FALSE(platform::Utf8ToGbk("a\xF0\x9F\x98\x80", out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(platform::GbkToUtf8("ab\xd2", out));
    EXPECT_FALSE(platform::GbkToUtf8("\xff\xff", out));
    EXPECT_THROW(platform::Utf8ToGbkOrThrow("\xF0\x9F\x98\x80"), platform::EncodingError);
    EXPECT_EQ(platform::GbkToUtf8Lossy("ok\xff"), "ok?");
}

TEST(GbkConversion, GeneratedTextsAreGbk) {
    EXPECT_EQ(std::string(texts::kNoSuchItem), Gbk("没有这个项目??[%d]"));
    EXPECT_EQ(std::string(texts::kPlinthMissing), Gbk("系统库不存在或者版本错误!"));
    EXPECT_EQ(std::string(texts::kLimbankInitializing), "LIMBANK.DLL Initializing!\n");
}

TEST(GbkCut, NeverSplitsADoubleByteCharacter) {
    const std::string text = Gbk("a轿车");  // 1 + 2 + 2 bytes
    EXPECT_EQ(platform::GbkCutLength(text, 5), 5u);
    EXPECT_EQ(platform::GbkCutLength(text, 4), 3u);
    EXPECT_EQ(platform::GbkCutLength(text, 2), 1u);
    EXPECT_EQ(platform::GbkCutLength(text, 0), 0u);
    EXPECT_EQ(platform::GbkCutLength(text, 100), 5u);
    // A lead byte at the very end stands alone.
    EXPECT_EQ(platform::GbkCutLength("ab\xd2", 3), 3u);
}
