// Exchange buffers through the C interface: layout, validity, kinds,
// capacity, information texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/coding.h"
#include "plinth.h"
#include "temp_dir.h"

namespace {

using testing_support::Gbk;
using Bytes = std::vector<char>;

constexpr std::size_t kHead = 19;

Bytes NewBuffer() {
    return Bytes(PLINTH_BUFFER_BYTES, 0);
}

StdHead FreshHead(unsigned char kind) {
    StdHead head;
    std::memset(&head, 0, sizeof head);
    head.magic[0] = 0x55;
    head.magic[1] = 0xAA;
    head.version[0] = head.version[1] = head.version[2] = 1;
    head.kind = kind;
    return head;
}

// Writes a head byte by byte: count and payloadBytes exactly as given.
void PutHead(Bytes &buf, unsigned char kind, std::uint16_t count, std::int32_t payload) {
    StdHead head = FreshHead(kind);
    std::memcpy(buf.data(), &head, sizeof head);
    platform::EncodeFixed32(buf.data() + 8, static_cast<std::uint32_t>(payload));
    platform::EncodeFixed16(buf.data() + 12, count);
}

Bytes StandardBuffer(std::initializer_list<StdEntry> entries) {
    Bytes buf = NewBuffer();
    StdHead head = FreshHead(PLINTH_KIND_STD);
    EXPECT_EQ(WriteStdHead(buf.data(), &head), 1);
    for (const StdEntry &e : entries)
        EXPECT_EQ(WriteStdHead_Std(buf.data(), e.paramId, e.lvalue, e.hvalue), 1);
    return buf;
}

// A packed field as a value: gtest binds its arguments to references, which
// must not point at a misaligned field.
template <class T>
T Val(T value) {
    return value;
}

int Expected(bool success) {
    return success ? 1 : 0;
}

std::uint16_t CountOf(const Bytes &buf) {
    return platform::DecodeFixed16(buf.data() + 12);
}

std::string InfoText(const Bytes &buf, int paramId) {
    InfoEntry e;
    if (ParseStdHead_Info(buf.data(), paramId, &e) != 1) return "<absent>";
    return e.text;
}

TEST(ExchangeBuffer, EmptyStandardBufferHasGoldenBytes) {
    Bytes buf = NewBuffer();
    std::memset(buf.data(), 0x5A, 64);
    StdHead head = FreshHead(PLINTH_KIND_STD);
    ASSERT_EQ(WriteStdHead(buf.data(), &head), 1);
    const unsigned char golden[kHead] = {0x55, 0xAA, 1, 1, 1, 0, 0, 0, 0, 0,
                                         0,    0,    0, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(buf.data(), golden, kHead), 0);
    EXPECT_EQ(buf[kHead], 0x5A) << "entry bytes are not the head's business";

    ASSERT_EQ(WriteStdHead_Std(buf.data(), 7001, 1.5f, 2.5f), 1);
    const unsigned char entry[10] = {0x59, 0x1B, 0x00, 0x00, 0xC0, 0x3F, 0x00, 0x00, 0x20, 0x40};
    EXPECT_EQ(std::memcmp(buf.data() + kHead, entry, sizeof entry), 0);
    EXPECT_EQ(platform::DecodeFixed32(buf.data() + 8), 10u);
    EXPECT_EQ(CountOf(buf), 1);
}

struct Malformed {
    const char *name;
    std::function<void(Bytes &)> corrupt;
};
void PrintTo(const Malformed &m, std::ostream *os) {
    *os << m.name;
}

class MalformedBuffer : public testing::TestWithParam<Malformed> {};

// Every reader refuses the buffer without writing its output; the standard
// writer refuses it; the information and item writers start afresh.
TEST_P(MalformedBuffer, IsRefusedOrStartedAfresh) {
    Bytes buf = StandardBuffer({{7001, 1, 2}});
    GetParam().corrupt(buf);
    const Bytes before = buf;

    StdHead head;
    std::memset(&head, 0x77, sizeof head);
    EXPECT_EQ(ParseStdHead(buf.data(), &head), 0);
    EXPECT_EQ(reinterpret_cast<unsigned char *>(&head)[0], 0x77);
    StdEntry std{};
    std.paramId = 9;
    EXPECT_EQ(ParseStdHead_Std(buf.data(), 7001, &std), 0);
    EXPECT_EQ(ParseStdHead_Std_Idx(buf.data(), 0, &std), 0);
    EXPECT_EQ(Val(std.paramId), 9);
    InfoEntry info{};
    EXPECT_EQ(ParseStdHead_Info(buf.data(), 7001, &info), 0);
    EXPECT_EQ(ParseStdHead_Info_Idx(buf.data(), 0, &info), 0);
    ItemEntry item{};
    EXPECT_EQ(ParseStdHead_Item_Idx(buf.data(), 0, &item), 0);
    EXPECT_EQ(WriteStdHead_Std(buf.data(), 7002, 3, 4), 0);
    EXPECT_EQ(buf, before);

    Bytes infoBuf = before;
    ASSERT_EQ(WriteStdHead_Info(infoBuf.data(), 1082, "10820001"), 1);
    ASSERT_EQ(ParseStdHead(infoBuf.data(), &head), 1);
    EXPECT_EQ(Val(head.kind), PLINTH_KIND_INFO);
    EXPECT_EQ(Val(head.count), 1);
    EXPECT_EQ(InfoText(infoBuf, 1082), "10820001");

    Bytes itemBuf = before;
    ASSERT_EQ(WriteStdHead_Item(itemBuf.data(), 216, 3), 1);
    ASSERT_EQ(ParseStdHead(itemBuf.data(), &head), 1);
    EXPECT_EQ(Val(head.kind), PLINTH_KIND_ITEM);
    EXPECT_EQ(Val(head.count), 1);
}

INSTANTIATE_TEST_SUITE_P(
    ExchangeBuffer, MalformedBuffer,
    testing::Values(Malformed{"FirstMagicByte", [](Bytes &b) { b[0] = 0x56; }},
                    Malformed{"SecondMagicByte", [](Bytes &b) { b[1] = 0x00; }},
                    Malformed{"SwappedMagic", [](Bytes &b) { std::swap(b[0], b[1]); }},
                    Malformed{"KindZero", [](Bytes &b) { b[14] = 0; }},
                    Malformed{"KindFour", [](Bytes &b) { b[14] = 4; }},
                    Malformed{"PayloadShort", [](Bytes &b) { PutHead(b, 1, 1, 9); }},
                    Malformed{"PayloadLong", [](Bytes &b) { PutHead(b, 1, 1, 11); }},
                    Malformed{"PayloadOfAnotherKind", [](Bytes &b) { PutHead(b, 1, 1, 52); }},
                    Malformed{"PayloadNegative", [](Bytes &b) { PutHead(b, 1, 0, -10); }},
                    Malformed{"CountWithoutPayload", [](Bytes &b) { PutHead(b, 1, 2, 0); }},
                    Malformed{"OversizeStandard", [](Bytes &b) { PutHead(b, 1, 14999, 149990); }},
                    Malformed{"OversizeInformation",
                              [](Bytes &b) { PutHead(b, 2, 2885, 2885 * 52); }},
                    Malformed{"OversizeItem", [](Bytes &b) { PutHead(b, 3, 18748, 18748 * 8); }},
                    Malformed{"AllZero", [](Bytes &b) { std::fill(b.begin(), b.end(), 0); }}),
    [](const testing::TestParamInfo<Malformed> &info) { return std::string(info.param.name); });

TEST(ExchangeBuffer, NullPointersFail) {
    Bytes buf = StandardBuffer({{7001, 1, 2}});
    StdHead head = FreshHead(PLINTH_KIND_STD);
    StdEntry std;
    InfoEntry info;
    ItemEntry item;
    EXPECT_EQ(ParseStdHead(nullptr, &head), 0);
    EXPECT_EQ(ParseStdHead(buf.data(), nullptr), 0);
    EXPECT_EQ(ParseStdHead_Std(nullptr, 7001, &std), 0);
    EXPECT_EQ(ParseStdHead_Std(buf.data(), 7001, nullptr), 0);
    EXPECT_EQ(ParseStdHead_Std_Idx(buf.data(), 0, nullptr), 0);
    EXPECT_EQ(ParseStdHead_Info(nullptr, 1082, &info), 0);
    EXPECT_EQ(ParseStdHead_Info_Idx(nullptr, 0, &info), 0);
    EXPECT_EQ(ParseStdHead_Item_Idx(nullptr, 0, &item), 0);
    EXPECT_EQ(WriteStdHead(nullptr, &head), 0);
    EXPECT_EQ(WriteStdHead(buf.data(), nullptr), 0);
    EXPECT_EQ(WriteStdHead_Std(nullptr, 7001, 1, 2), 0);
    EXPECT_EQ(WriteStdHead_Info(nullptr, 1082, "x"), 0);
    EXPECT_EQ(WriteStdHead_Item(nullptr, 1, 2), 0);
    Bytes fresh = NewBuffer();
    EXPECT_EQ(WriteStdHead_Info(fresh.data(), 1082, nullptr), 0);
    EXPECT_EQ(fresh, NewBuffer());
}

// A valid buffer of one kind is left alone by the functions of the others.
TEST(ExchangeBuffer, OtherKindIsRefusedUntouched) {
    Bytes std = StandardBuffer({{1082, 1, 2}});
    Bytes info = NewBuffer();
    ASSERT_EQ(WriteStdHead_Info(info.data(), 1082, "abc"), 1);
    Bytes item = NewBuffer();
    ASSERT_EQ(WriteStdHead_Item(item.data(), 1082, 1), 1);

    for (Bytes *buf : {&std, &info, &item}) {
        const Bytes before = *buf;
        const int kind = static_cast<unsigned char>((*buf)[14]);
        StdEntry s{};
        InfoEntry i{};
        ItemEntry t{};
        s.paramId = i.paramId = 5;
        t.itemId = 5;
        EXPECT_EQ(ParseStdHead_Std(buf->data(), 1082, &s), Expected(kind == PLINTH_KIND_STD));
        EXPECT_EQ(ParseStdHead_Std_Idx(buf->data(), 0, &s), Expected(kind == PLINTH_KIND_STD));
        EXPECT_EQ(ParseStdHead_Info(buf->data(), 1082, &i), Expected(kind == PLINTH_KIND_INFO));
        EXPECT_EQ(ParseStdHead_Info_Idx(buf->data(), 0, &i), Expected(kind == PLINTH_KIND_INFO));
        EXPECT_EQ(ParseStdHead_Item_Idx(buf->data(), 0, &t), Expected(kind == PLINTH_KIND_ITEM));
        EXPECT_EQ(Val(s.paramId), kind == PLINTH_KIND_STD ? 1082 : 5);
        EXPECT_EQ(Val(i.paramId), kind == PLINTH_KIND_INFO ? 1082 : 5);
        EXPECT_EQ(Val(t.itemId), kind == PLINTH_KIND_ITEM ? 1082 : 5);
        if (kind != PLINTH_KIND_STD) {
            EXPECT_EQ(WriteStdHead_Std(buf->data(), 7001, 1, 2), 0);
        }
        if (kind != PLINTH_KIND_INFO) {
            EXPECT_EQ(WriteStdHead_Info(buf->data(), 1082, "x"), 0);
        }
        if (kind != PLINTH_KIND_ITEM) {
            EXPECT_EQ(WriteStdHead_Item(buf->data(), 1, 2), 0);
        }
        EXPECT_EQ(*buf, before) << "kind " << kind;
    }
}

struct Capacity {
    int kind;
    std::size_t maxEntries;  // the largest n with 19 + n x entry size <= 150000
    std::size_t entryBytes;
};
void PrintTo(const Capacity &c, std::ostream *os) {
    *os << "kind " << c.kind;
}

class BufferCapacity : public testing::TestWithParam<Capacity> {};

bool AppendOne(Bytes &buf, int kind, int n) {
    switch (kind) {
        case PLINTH_KIND_STD:
            return WriteStdHead_Std(buf.data(), 1 + n % 65535, 0, 1) == 1;
        case PLINTH_KIND_INFO:
            return WriteStdHead_Info(buf.data(), 1 + n, "v") == 1;
        default:
            return WriteStdHead_Item(buf.data(), n, n) == 1;
    }
}

TEST_P(BufferCapacity, LastEntryThatFitsIsTakenTheNextRefused) {
    const Capacity c = GetParam();
    ASSERT_LE(kHead + c.maxEntries * c.entryBytes, std::size_t{PLINTH_BUFFER_BYTES});
    ASSERT_GT(kHead + (c.maxEntries + 1) * c.entryBytes, std::size_t{PLINTH_BUFFER_BYTES});

    Bytes buf = NewBuffer();
    StdHead head = FreshHead(static_cast<unsigned char>(c.kind));
    ASSERT_EQ(WriteStdHead(buf.data(), &head), 1);
    for (std::size_t n = 0; n < c.maxEntries; ++n)
        ASSERT_TRUE(AppendOne(buf, c.kind, static_cast<int>(n))) << n;
    const Bytes full = buf;
    EXPECT_FALSE(AppendOne(buf, c.kind, static_cast<int>(c.maxEntries)));
    EXPECT_EQ(buf, full);
    EXPECT_EQ(CountOf(buf), c.maxEntries);

    // A head declaring one entry more is refused by WriteStdHead too.
    head.count = static_cast<unsigned short>(c.maxEntries + 1);
    EXPECT_EQ(WriteStdHead(buf.data(), &head), 0);
    EXPECT_EQ(buf, full);
}

INSTANTIATE_TEST_SUITE_P(ExchangeBuffer, BufferCapacity,
                         testing::Values(Capacity{PLINTH_KIND_STD, 14998, 10},
                                         Capacity{PLINTH_KIND_INFO, 2884, 52},
                                         Capacity{PLINTH_KIND_ITEM, 18747, 8}));

TEST(ExchangeBuffer, WriteStdHeadDerivesPayloadFromCount) {
    Bytes buf = StandardBuffer({{7001, 1, 2}, {7002, 3, 4}, {7003, 5, 6}});
    StdHead head;
    ASSERT_EQ(ParseStdHead(buf.data(), &head), 1);
    head.count = 1;
    head.payloadBytes = 12345;  // not trusted
    head.version[0] = 9;
    head.reserved15[3] = 0xEE;
    ASSERT_EQ(WriteStdHead(buf.data(), &head), 1);
    StdHead parsed;
    ASSERT_EQ(ParseStdHead(buf.data(), &parsed), 1);
    EXPECT_EQ(Val(parsed.count), 1);
    EXPECT_EQ(Val(parsed.payloadBytes), 10);
    EXPECT_EQ(Val(parsed.version[0]), 9) << "version and reserved bytes are kept as given";
    EXPECT_EQ(Val(parsed.reserved15[3]), 0xEE);
    StdEntry e;
    EXPECT_EQ(ParseStdHead_Std(buf.data(), 7003, &e), 0);
    ASSERT_EQ(WriteStdHead_Std(buf.data(), 7004, 7, 8), 1);
    ASSERT_EQ(ParseStdHead_Std_Idx(buf.data(), 1, &e), 1);
    EXPECT_EQ(Val(e.paramId), 7004);
    ASSERT_EQ(ParseStdHead(buf.data(), &parsed), 1);
    EXPECT_EQ(Val(parsed.reserved15[3]), 0xEE);

    const Bytes before = buf;
    StdHead bad = FreshHead(PLINTH_KIND_STD);
    bad.magic[1] = 0xAB;
    EXPECT_EQ(WriteStdHead(buf.data(), &bad), 0);
    bad = FreshHead(0);
    EXPECT_EQ(WriteStdHead(buf.data(), &bad), 0);
    bad = FreshHead(4);
    EXPECT_EQ(WriteStdHead(buf.data(), &bad), 0);
    EXPECT_EQ(buf, before);
}

TEST(ExchangeBuffer, StandardEntriesByParameterAndIndex) {
    Bytes buf = StandardBuffer({{7001, 1, 2}, {7002, 3, 4}, {7001, 5, 6}});
    StdEntry e;
    ASSERT_EQ(ParseStdHead_Std(buf.data(), 7001, &e), 1);
    EXPECT_EQ(Val(e.lvalue), 1.0f) << "the first entry of the parameter";
    EXPECT_EQ(Val(e.hvalue), 2.0f);
    ASSERT_EQ(ParseStdHead_Std_Idx(buf.data(), 2, &e), 1);
    EXPECT_EQ(Val(e.paramId), 7001);
    EXPECT_EQ(Val(e.lvalue), 5.0f);
    EXPECT_EQ(ParseStdHead_Std(buf.data(), 7003, &e), 0);
    EXPECT_EQ(ParseStdHead_Std_Idx(buf.data(), 3, &e), 0);
    EXPECT_EQ(ParseStdHead_Std_Idx(buf.data(), -1, &e), 0);
    EXPECT_EQ(ParseStdHead_Std(buf.data(), 7001 + 65536, &e), 0);
}

TEST(ExchangeBuffer, ItemEntriesRoundTrip) {
    Bytes buf = NewBuffer();
    ASSERT_EQ(WriteStdHead_Item(buf.data(), 216, 3), 1);
    ASSERT_EQ(WriteStdHead_Item(buf.data(), -1, 0x7FFFFFFF), 1);
    ItemEntry e;
    ASSERT_EQ(ParseStdHead_Item_Idx(buf.data(), 1, &e), 1);
    EXPECT_EQ(Val(e.itemId), -1);
    EXPECT_EQ(Val(e.devId), 0x7FFFFFFF);
    EXPECT_EQ(ParseStdHead_Item_Idx(buf.data(), 2, &e), 0);
}

TEST(ExchangeBuffer, ParamIdOutsideSixteenBitsIsRefused) {
    for (int paramId : {0, -1, 65536, 70000}) {
        Bytes buf = StandardBuffer({});
        EXPECT_EQ(WriteStdHead_Std(buf.data(), paramId, 1, 2), 0) << paramId;
        EXPECT_EQ(WriteStdHead_Info(buf.data(), paramId, "x"), 0) << paramId;
        Bytes fresh = NewBuffer();
        EXPECT_EQ(WriteStdHead_Info(fresh.data(), paramId, "x"), 0) << paramId;
        EXPECT_EQ(fresh, NewBuffer());
    }
    Bytes buf = StandardBuffer({{1, 0, 0}, {65535, 0, 0}});
    EXPECT_EQ(CountOf(buf), 2);
}

TEST(InformationEntry, SameParameterReplacesOtherAppends) {
    Bytes buf = NewBuffer();
    ASSERT_EQ(WriteStdHead_Info(buf.data(), 1082, "a long first value"), 1);
    ASSERT_EQ(WriteStdHead_Info(buf.data(), 1088, "2500"), 1);
    ASSERT_EQ(WriteStdHead_Info(buf.data(), 1082, "c"), 1);
    EXPECT_EQ(CountOf(buf), 2);
    InfoEntry e;
    ASSERT_EQ(ParseStdHead_Info_Idx(buf.data(), 0, &e), 1);
    EXPECT_EQ(Val(e.paramId), 1082);
    EXPECT_STREQ(e.text, "c");
    EXPECT_EQ(InfoText(buf, 1088), "2500");
    // The replaced text leaves no trace of the longer one.
    const char *stored = buf.data() + kHead + 2;
    EXPECT_TRUE(std::all_of(stored + 1, stored + 50, [](char c) { return c == 0; }));
}

struct TextCut {
    std::string text;
    std::size_t storedBytes;
};
void PrintTo(const TextCut &c, std::ostream *os) {
    *os << c.text.size() << " bytes, " << c.storedBytes << " stored";
}

class InformationText : public testing::TestWithParam<TextCut> {};

TEST_P(InformationText, IsCutAtCharacterBoundaryAndZeroFilled) {
    const TextCut c = GetParam();
    Bytes buf = NewBuffer();
    ASSERT_EQ(WriteStdHead_Info(buf.data(), 1069, c.text.c_str()), 1);
    const char *stored = buf.data() + kHead + 2;
    EXPECT_EQ(std::string(stored, c.storedBytes), c.text.substr(0, c.storedBytes));
    EXPECT_TRUE(std::all_of(stored + c.storedBytes, stored + 50, [](char b) { return b == 0; }));
    EXPECT_EQ(InfoText(buf, 1069), c.text.substr(0, c.storedBytes));
}

std::string Repeat(const std::string &s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

INSTANTIATE_TEST_SUITE_P(ExchangeBuffer, InformationText,
                         testing::Values(TextCut{"", 0}, TextCut{std::string(49, 'a'), 49},
                                         TextCut{std::string(80, 'a'), 49},
                                         TextCut{"a" + Repeat(Gbk("轿"), 30), 49},  // 1 + 24 x 2
                                         TextCut{std::string(48, 'a') + Gbk("车") + "b",
                                                 48},  // the character would pass 49
                                         TextCut{Repeat(Gbk("车"), 25), 48}));

// A host may fill all 50 text bytes; the reader still returns a terminated
// text of at most 49 bytes that ends on a character boundary.
TEST(InformationEntry, UnterminatedTextIsReadTerminated) {
    Bytes buf = NewBuffer();
    ASSERT_EQ(WriteStdHead_Info(buf.data(), 1082, ""), 1);
    std::memset(buf.data() + kHead + 2, 'x', 50);
    EXPECT_EQ(InfoText(buf, 1082), std::string(49, 'x'));

    const std::string chars = Repeat(Gbk("车"), 25);
    std::memcpy(buf.data() + kHead + 2, chars.data(), 50);
    InfoEntry e;
    std::memset(&e, 0x33, sizeof e);
    ASSERT_EQ(ParseStdHead_Info_Idx(buf.data(), 0, &e), 1);
    EXPECT_EQ(std::string(e.text), chars.substr(0, 48));
    EXPECT_TRUE(std::all_of(e.text + 48, e.text + 50, [](char b) { return b == 0; }));
}

}  // namespace
