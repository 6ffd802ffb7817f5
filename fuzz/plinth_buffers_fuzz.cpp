// Plinth's exchange-buffer functions on a buffer whose first bytes are the
// input: every reader (ParseStdHead, ParseStdHead_Info, _Info_Idx, _Std,
// _Std_Idx, _Item_Idx) on every input, at every index and parameter the
// buffer holds and at the indices around them, then each writer on a copy.
// Bytes past the declared entries are poisoned while the readers run: a read
// there is reported by AddressSanitizer. A reader's answer is checked against
// the buffer's bytes, and a failing call must leave its output untouched.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "platform/coding.h"

namespace {

constexpr std::size_t kHead = sizeof(StdHead);
// Entries visited by index and by parameter on each input; the rest only
// through the boundary indices.
constexpr int kVisited = 256;

struct Layout {
    int kind = 0;  // 0: the head is not valid
    int count = 0;
    const char *Entry(const char *buf, int index) const {
        return buf + kHead + static_cast<std::size_t>(index) * fuzz::EntryBytes(kind);
    }
};

template <class T>
bool Untouched(const T &value) {
    const auto *p = reinterpret_cast<const unsigned char *>(&value);
    return std::all_of(p, p + sizeof value, [](unsigned char c) { return c == 0xEE; });
}

template <class T>
T Poisoned() {
    T value;
    std::memset(&value, 0xEE, sizeof value);
    return value;
}

// The text an information entry gives back: at most 49 bytes of the stored
// text, cut at a character boundary, NUL-terminated and zero-filled.
void CheckInfoText(const InfoEntry &e, const char *stored) {
    const std::size_t raw = strnlen(stored, sizeof e.text);
    const std::size_t len = strnlen(e.text, sizeof e.text);
    FUZZ_CHECK(len < sizeof e.text);
    FUZZ_CHECK(std::memcmp(e.text, stored, len) == 0);
    FUZZ_CHECK(len + 1 >= std::min<std::size_t>(raw, sizeof e.text - 1));
    for (std::size_t i = len; i < sizeof e.text; ++i) FUZZ_CHECK(e.text[i] == '\0');
}

void CheckIndex(const char *buf, const Layout &layout, int index) {
    const bool inside = index >= 0 && index < layout.count;

    auto info = Poisoned<InfoEntry>();
    const int infoResult = ParseStdHead_Info_Idx(buf, index, &info);
    FUZZ_CHECK(infoResult == (inside && layout.kind == PLINTH_KIND_INFO ? 1 : 0));
    if (infoResult == 1) {
        const char *entry = layout.Entry(buf, index);
        FUZZ_CHECK(info.paramId == platform::DecodeFixed16(entry));
        CheckInfoText(info, entry + 2);
    } else {
        FUZZ_CHECK(Untouched(info));
    }

    auto std = Poisoned<StdEntry>();
    const int stdResult = ParseStdHead_Std_Idx(buf, index, &std);
    FUZZ_CHECK(stdResult == (inside && layout.kind == PLINTH_KIND_STD ? 1 : 0));
    if (stdResult == 1) {
        const char *entry = layout.Entry(buf, index);
        FUZZ_CHECK(std.paramId == platform::DecodeFixed16(entry));
        FUZZ_CHECK(std::memcmp(&std.lvalue, entry + 2, 4) == 0);
        FUZZ_CHECK(std::memcmp(&std.hvalue, entry + 6, 4) == 0);
    } else {
        FUZZ_CHECK(Untouched(std));
    }

    auto item = Poisoned<ItemEntry>();
    const int itemResult = ParseStdHead_Item_Idx(buf, index, &item);
    FUZZ_CHECK(itemResult == (inside && layout.kind == PLINTH_KIND_ITEM ? 1 : 0));
    if (itemResult == 1) {
        const char *entry = layout.Entry(buf, index);
        FUZZ_CHECK(item.itemId == platform::DecodeSigned32(entry));
        FUZZ_CHECK(item.devId == platform::DecodeSigned32(entry + 4));
    } else {
        FUZZ_CHECK(Untouched(item));
    }
}

// The first entry of `paramId` in a buffer of `kind`, by a plain scan; -1.
int FirstOf(const char *buf, const Layout &layout, int kind, int paramId) {
    if (layout.kind != kind || paramId < 1 || paramId > 65535) return -1;
    for (int i = 0; i < layout.count; ++i)
        if (platform::DecodeFixed16(layout.Entry(buf, i)) == paramId) return i;
    return -1;
}

void CheckParam(const char *buf, const Layout &layout, int paramId) {
    auto info = Poisoned<InfoEntry>();
    const int infoAt = FirstOf(buf, layout, PLINTH_KIND_INFO, paramId);
    const int infoResult = ParseStdHead_Info(buf, paramId, &info);
    FUZZ_CHECK(infoResult == (infoAt >= 0 ? 1 : 0));
    if (infoResult == 1) {
        FUZZ_CHECK(info.paramId == paramId);
        CheckInfoText(info, layout.Entry(buf, infoAt) + 2);
    } else {
        FUZZ_CHECK(Untouched(info));
    }

    auto std = Poisoned<StdEntry>();
    const int stdAt = FirstOf(buf, layout, PLINTH_KIND_STD, paramId);
    const int stdResult = ParseStdHead_Std(buf, paramId, &std);
    FUZZ_CHECK(stdResult == (stdAt >= 0 ? 1 : 0));
    if (stdResult == 1) {
        FUZZ_CHECK(std.paramId == paramId);
        FUZZ_CHECK(std::memcmp(&std.lvalue, layout.Entry(buf, stdAt) + 2, 4) == 0);
        FUZZ_CHECK(std::memcmp(&std.hvalue, layout.Entry(buf, stdAt) + 6, 4) == 0);
    } else {
        FUZZ_CHECK(Untouched(std));
    }
}

bool Fits(int kind, long count) {
    return count <= 0xFFFF &&
           kHead + static_cast<std::size_t>(count) * fuzz::EntryBytes(kind) <= PLINTH_BUFFER_BYTES;
}

// Each writer on a fresh copy of the input: what it answers, and what the
// readers then find.
void CheckWriters(fuzz::ExchangeBuffer &buffer, const uint8_t *data, std::size_t size,
                  const Layout &layout) {
    std::vector<char> before(PLINTH_BUFFER_BYTES);
    auto reset = [&] {
        buffer.Fill(data, size);
        std::memcpy(before.data(), buffer.Bytes(), before.size());
    };
    auto unchanged = [&] { return std::memcmp(before.data(), buffer.Bytes(), before.size()) == 0; };
    char *buf = static_cast<char *>(buffer.Data());

    // An information text: replaced in place, appended, or a fresh buffer.
    reset();
    const int infoAt = FirstOf(buf, layout, PLINTH_KIND_INFO, 1082);
    const int infoResult = WriteStdHead_Info(buf, 1082, "10820001");
    if (layout.kind != 0 && layout.kind != PLINTH_KIND_INFO) {
        FUZZ_CHECK(infoResult == 0 && unchanged());
    } else if (infoAt < 0 && layout.kind != 0 && !Fits(PLINTH_KIND_INFO, layout.count + 1L)) {
        FUZZ_CHECK(infoResult == 0 && unchanged());
    } else {
        FUZZ_CHECK(infoResult == 1);
        InfoEntry e;
        FUZZ_CHECK(ParseStdHead_Info(buf, 1082, &e) == 1 && std::strcmp(e.text, "10820001") == 0);
        StdHead head;
        FUZZ_CHECK(ParseStdHead(buf, &head) == 1);
        const int expected = layout.kind == 0 ? 1 : layout.count + (infoAt < 0 ? 1 : 0);
        FUZZ_CHECK(head.count == expected);
    }

    // A limit: appended to a valid standard buffer only.
    reset();
    const int stdResult = WriteStdHead_Std(buf, 2161, 0.5f, 4.5f);
    if (layout.kind != PLINTH_KIND_STD || !Fits(PLINTH_KIND_STD, layout.count + 1L)) {
        FUZZ_CHECK(stdResult == 0 && unchanged());
    } else {
        FUZZ_CHECK(stdResult == 1);
        StdEntry e;
        FUZZ_CHECK(ParseStdHead_Std_Idx(buf, layout.count, &e) == 1);
        FUZZ_CHECK(e.paramId == 2161 && e.lvalue == 0.5f && e.hvalue == 4.5f);
        // The entries before it are kept.
        FUZZ_CHECK(
            std::memcmp(before.data() + kHead, buf + kHead, layout.count * sizeof(StdEntry)) == 0);
    }

    // An item: appended, or a fresh item buffer where the head is not valid.
    reset();
    const int itemResult = WriteStdHead_Item(buf, 216, 3);
    const int itemCount = layout.kind == 0 ? 0 : layout.count;
    if ((layout.kind != 0 && layout.kind != PLINTH_KIND_ITEM) ||
        !Fits(PLINTH_KIND_ITEM, itemCount + 1L)) {
        FUZZ_CHECK(itemResult == 0 && unchanged());
    } else {
        FUZZ_CHECK(itemResult == 1);
        ItemEntry e;
        FUZZ_CHECK(ParseStdHead_Item_Idx(buf, itemCount, &e) == 1);
        FUZZ_CHECK(e.itemId == 216 && e.devId == 3);
        // The entries before it are kept.
        FUZZ_CHECK(itemCount == 0 || std::memcmp(before.data() + kHead, buf + kHead,
                                                 itemCount * sizeof(ItemEntry)) == 0);
    }

    // The input's own head written back: taken when its magic, kind and
    // count are good, whatever its payloadBytes says.
    reset();
    StdHead given;
    std::memcpy(&given, before.data(), kHead);
    const int headResult = WriteStdHead(buf, &given);
    const auto *u = reinterpret_cast<const unsigned char *>(before.data());
    const int kind = u[offsetof(StdHead, kind)];
    const int count = platform::DecodeFixed16(before.data() + offsetof(StdHead, count));
    const bool good =
        u[0] == 0x55 && u[1] == 0xAA && fuzz::EntryBytes(kind) != 0 && Fits(kind, count);
    FUZZ_CHECK(headResult == (good ? 1 : 0));
    if (good) {
        StdHead head;
        FUZZ_CHECK(ParseStdHead(buf, &head) == 1);
        FUZZ_CHECK(head.count == count && head.kind == kind);
        FUZZ_CHECK(std::memcmp(buf + kHead, before.data() + kHead, PLINTH_BUFFER_BYTES - kHead) ==
                   0);
    } else {
        FUZZ_CHECK(unchanged());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    static fuzz::ExchangeBuffer buffer;
    buffer.Fill(data, size);
    buffer.Guard();
    const char *buf = buffer.Bytes();

    const long payload = fuzz::ValidPayload(buf);
    auto head = Poisoned<StdHead>();
    const int headResult = ParseStdHead(buf, &head);
    FUZZ_CHECK(headResult == (payload >= 0 ? 1 : 0));
    FUZZ_CHECK(headResult == 1 ? std::memcmp(&head, buf, kHead) == 0 : Untouched(head));

    Layout layout;
    if (headResult == 1) {
        layout.kind = head.kind;
        layout.count = head.count;
    }

    // Null arguments are refused.
    FUZZ_CHECK(ParseStdHead(nullptr, &head) == 0 && ParseStdHead(buf, nullptr) == 0);
    FUZZ_CHECK(ParseStdHead_Info(buf, 1082, nullptr) == 0);
    FUZZ_CHECK(ParseStdHead_Std(buf, 2161, nullptr) == 0);
    FUZZ_CHECK(ParseStdHead_Info_Idx(buf, 0, nullptr) == 0);
    FUZZ_CHECK(ParseStdHead_Std_Idx(buf, 0, nullptr) == 0);
    FUZZ_CHECK(ParseStdHead_Item_Idx(buf, 0, nullptr) == 0);

    // By index: the entries, and the indices just outside them.
    const int visited = std::min(layout.count, kVisited);
    for (int i = 0; i < visited; ++i) CheckIndex(buf, layout, i);
    for (int index :
         {-1, layout.count - 1, layout.count, layout.count + 1, 65535, 65536, INT_MIN, INT_MAX})
        CheckIndex(buf, layout, index);

    // By parameter: those the entries name, and ones no entry can hold.
    for (int i = 0; i < visited; ++i)
        CheckParam(buf, layout, platform::DecodeFixed16(layout.Entry(buf, i)));
    for (int paramId : {0, -1, 1082, 2161, 65536, INT_MIN, INT_MAX})
        CheckParam(buf, layout, paramId);

    buffer.Open();
    CheckWriters(buffer, data, size, layout);
    return 0;
}
