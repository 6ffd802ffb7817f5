#include "exchange_buffer.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "buffer_layout.h"
#include "platform/coding.h"
#include "platform/gbk.h"

namespace plinth {

using namespace layout;

namespace {

bool IsWritableParamId(int paramId) {
    return paramId >= kMinParamId && paramId <= kMaxParamId;
}

char *Entry(char *buf, const CheckedHead &head, std::size_t index) {
    return buf + kHeadBytes + index * EntryBytes(head.kind);
}
const char *Entry(const char *buf, const CheckedHead &head, std::size_t index) {
    return buf + kHeadBytes + index * EntryBytes(head.kind);
}

// The head of a valid buffer of `kind`, or nullopt.
std::optional<CheckedHead> CheckHeadOfKind(const char *buf, int kind) {
    auto head = CheckHead(buf);
    if (!head || head->kind != kind) return std::nullopt;
    return head;
}

// Entry at `index` of a valid buffer of `kind`, or null.
const char *EntryAt(const char *buf, int kind, int index) {
    auto head = CheckHeadOfKind(buf, kind);
    if (!head || index < 0 || static_cast<std::size_t>(index) >= head->count) return nullptr;
    return Entry(buf, *head, static_cast<std::size_t>(index));
}

// First entry of `paramId` in a valid buffer of `kind` (1 or 2), or null.
const char *FindParam(const char *buf, const CheckedHead &head, int paramId) {
    if (!IsWritableParamId(paramId)) return nullptr;
    for (std::size_t i = 0; i < head.count; ++i) {
        const char *entry = Entry(buf, head, i);
        if (platform::DecodeFixed16(entry + kParamIdOffset) == paramId) return entry;
    }
    return nullptr;
}

// The stored length of an information text: at most 49 bytes of `text`, cut
// at a GBK character boundary. Reads no more than 50 bytes of `text`.
std::size_t InfoTextLength(const char *text) {
    std::string_view raw(text, ::strnlen(text, kInfoTextBytes));
    return platform::GbkCutLength(raw, kInfoTextMaxLength);
}

void EncodeInfoText(char *dst, const char *text) {
    std::memset(dst, 0, kInfoTextBytes);
    std::memcpy(dst, text, InfoTextLength(text));
}

void DecodeInfo(const char *src, InfoEntry *entry) {
    InfoEntry out;
    std::memset(&out, 0, sizeof out);
    out.paramId = platform::DecodeFixed16(src + kParamIdOffset);
    EncodeInfoText(out.text, src + kInfoTextOffset);
    std::memcpy(entry, &out, sizeof out);
}

void DecodeStd(const char *src, StdEntry *entry) {
    StdEntry out;
    out.paramId = platform::DecodeFixed16(src + kParamIdOffset);
    out.lvalue = platform::DecodeFloat(src + kStdLowOffset);
    out.hvalue = platform::DecodeFloat(src + kStdHighOffset);
    std::memcpy(entry, &out, sizeof out);
}

void DecodeItem(const char *src, ItemEntry *entry) {
    ItemEntry out;
    out.itemId = platform::DecodeSigned32(src + kItemIdOffset);
    out.devId = platform::DecodeSigned32(src + kItemDevOffset);
    std::memcpy(entry, &out, sizeof out);
}

// A fresh head of `kind` without entries: magic, version 1.1.1, zeros.
void StartEmpty(char *buf, int kind) {
    std::memset(buf, 0, kHeadBytes);
    auto *u = reinterpret_cast<unsigned char *>(buf);
    u[kMagicOffset] = kMagic0;
    u[kMagicOffset + 1] = kMagic1;
    u[kVersionOffset] = u[kVersionOffset + 1] = u[kVersionOffset + 2] = kVersion;
    u[kKindOffset] = static_cast<unsigned char>(kind);
}

// Sets count and payloadBytes; `count` must fit the capacity.
void SetCount(char *buf, int kind, std::size_t count) {
    platform::EncodeFixed32(buf + kPayloadOffset,
                            static_cast<std::uint32_t>(count * EntryBytes(kind)));
    platform::EncodeFixed16(buf + kCountOffset, static_cast<std::uint16_t>(count));
}

bool FitsCapacity(int kind, std::size_t count) {
    return count <= 0xFFFF && kHeadBytes + count * EntryBytes(kind) <= kCapacity;
}

// Appends one entry of the buffer's kind; false, writing nothing, when the
// buffer would pass its capacity.
bool Append(char *buf, const CheckedHead &head, const char *entry) {
    const std::size_t newCount = head.count + 1;
    if (!FitsCapacity(head.kind, newCount)) return false;
    std::memcpy(Entry(buf, head, head.count), entry, EntryBytes(head.kind));
    SetCount(buf, head.kind, newCount);
    return true;
}

// The head of `buf` for a writer of `kind`: the existing one when the buffer
// is valid and of that kind, a fresh one when it is not valid (only when
// `mayStart`), nullopt otherwise.
std::optional<CheckedHead> HeadForWriter(char *buf, int kind, bool mayStart) {
    auto head = CheckHead(buf);
    if (head) {
        if (head->kind != kind) return std::nullopt;
        return head;
    }
    if (!mayStart) return std::nullopt;
    StartEmpty(buf, kind);
    return CheckedHead{kind, 0};
}

}  // namespace

std::optional<CheckedHead> CheckHead(const char *buf) {
    if (buf == nullptr) return std::nullopt;
    const auto *u = reinterpret_cast<const unsigned char *>(buf);
    if (u[kMagicOffset] != kMagic0 || u[kMagicOffset + 1] != kMagic1) return std::nullopt;
    const int kind = u[kKindOffset];
    const std::size_t entryBytes = EntryBytes(kind);
    if (entryBytes == 0) return std::nullopt;
    const std::int32_t payload = platform::DecodeSigned32(buf + kPayloadOffset);
    const std::size_t count = platform::DecodeFixed16(buf + kCountOffset);
    if (payload < 0 || static_cast<std::size_t>(payload) != count * entryBytes) return std::nullopt;
    if (kHeadBytes + static_cast<std::size_t>(payload) > kCapacity) return std::nullopt;
    return CheckedHead{kind, count};
}

bool ParseHead(const char *buf, StdHead *head) {
    if (head == nullptr || !CheckHead(buf)) return false;
    std::memcpy(head, buf, kHeadBytes);
    return true;
}

bool ParseInfo(const char *buf, int paramId, InfoEntry *entry) {
    auto head = CheckHeadOfKind(buf, kKindInfo);
    if (!head || entry == nullptr) return false;
    const char *found = FindParam(buf, *head, paramId);
    if (found == nullptr) return false;
    DecodeInfo(found, entry);
    return true;
}

bool ParseInfoAt(const char *buf, int index, InfoEntry *entry) {
    const char *found = EntryAt(buf, kKindInfo, index);
    if (found == nullptr || entry == nullptr) return false;
    DecodeInfo(found, entry);
    return true;
}

bool ParseStd(const char *buf, int paramId, StdEntry *entry) {
    auto head = CheckHeadOfKind(buf, kKindStd);
    if (!head || entry == nullptr) return false;
    const char *found = FindParam(buf, *head, paramId);
    if (found == nullptr) return false;
    DecodeStd(found, entry);
    return true;
}

bool ParseStdAt(const char *buf, int index, StdEntry *entry) {
    const char *found = EntryAt(buf, kKindStd, index);
    if (found == nullptr || entry == nullptr) return false;
    DecodeStd(found, entry);
    return true;
}

bool ParseItemAt(const char *buf, int index, ItemEntry *entry) {
    const char *found = EntryAt(buf, kKindItem, index);
    if (found == nullptr || entry == nullptr) return false;
    DecodeItem(found, entry);
    return true;
}

bool WriteHead(char *buf, const StdHead *head) {
    if (buf == nullptr || head == nullptr) return false;
    char bytes[kHeadBytes];
    std::memcpy(bytes, head, kHeadBytes);
    const auto *u = reinterpret_cast<const unsigned char *>(bytes);
    if (u[kMagicOffset] != kMagic0 || u[kMagicOffset + 1] != kMagic1) return false;
    const int kind = u[kKindOffset];
    if (EntryBytes(kind) == 0) return false;
    const std::size_t count = platform::DecodeFixed16(bytes + kCountOffset);
    if (!FitsCapacity(kind, count)) return false;
    SetCount(bytes, kind, count);
    std::memcpy(buf, bytes, kHeadBytes);
    return true;
}

bool WriteInfo(char *buf, int paramId, const char *text) {
    if (buf == nullptr || text == nullptr || !IsWritableParamId(paramId)) return false;
    char entry[kInfoEntryBytes];
    platform::EncodeFixed16(entry + kParamIdOffset, static_cast<std::uint16_t>(paramId));
    EncodeInfoText(entry + kInfoTextOffset, text);

    auto head = HeadForWriter(buf, kKindInfo, true);
    if (!head) return false;
    if (const char *found = FindParam(buf, *head, paramId)) {
        // `found` points into `buf`, which this writer may change.
        std::memcpy(const_cast<char *>(found) + kInfoTextOffset, entry + kInfoTextOffset,
                    kInfoTextBytes);
        return true;
    }
    return Append(buf, *head, entry);
}

bool WriteStd(char *buf, int paramId, float lvalue, float hvalue) {
    if (buf == nullptr || !IsWritableParamId(paramId)) return false;
    char entry[kStdEntryBytes];
    platform::EncodeFixed16(entry + kParamIdOffset, static_cast<std::uint16_t>(paramId));
    platform::EncodeFloat(entry + kStdLowOffset, lvalue);
    platform::EncodeFloat(entry + kStdHighOffset, hvalue);

    auto head = HeadForWriter(buf, kKindStd, false);
    return head && Append(buf, *head, entry);
}

bool WriteItem(char *buf, int itemId, int devId) {
    if (buf == nullptr) return false;
    char entry[kItemEntryBytes];
    platform::EncodeFixed32(entry + kItemIdOffset, static_cast<std::uint32_t>(itemId));
    platform::EncodeFixed32(entry + kItemDevOffset, static_cast<std::uint32_t>(devId));

    auto head = HeadForWriter(buf, kKindItem, true);
    return head && Append(buf, *head, entry);
}

}  // namespace plinth
