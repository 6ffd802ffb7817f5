#pragma once
// Byte layout of an exchange buffer, shared by its reader and its writer.
//
//   offset  size  field
//   0       2     magic 0x55 0xAA
//   2       3     version (written as given, never checked)
//   5       1     reserved
//   6       2     reserved
//   8       4     payloadBytes, little-endian int32: count x entry size
//   12      2     count, little-endian uint16
//   14      1     kind: 1 standard, 2 information, 3 item
//   15      4     reserved
//   19      ...   `count` packed entries of the kind
//
// Entries (little-endian):
//   standard (10 bytes):    paramId u16 @0, lvalue float @2, hvalue float @6
//   information (52 bytes): paramId u16 @0, text char[50] @2 (NUL-terminated)
//   item (8 bytes):         itemId int32 @0, devId int32 @4
//
// A buffer is valid when the magic is right, the kind is 1..3, payloadBytes
// equals count x entry size and 19 + payloadBytes <= 150000 (the capacity
// every caller's buffer has).
#include <cstddef>

#include "plinth_api.h"

namespace plinth::layout {

inline constexpr std::size_t kHeadBytes = 19;
inline constexpr std::size_t kCapacity = PLINTH_BUFFER_BYTES;

inline constexpr unsigned char kMagic0 = 0x55;
inline constexpr unsigned char kMagic1 = 0xAA;
inline constexpr unsigned char kVersion = 1;

inline constexpr std::size_t kMagicOffset = 0;
inline constexpr std::size_t kVersionOffset = 2;
inline constexpr std::size_t kPayloadOffset = 8;
inline constexpr std::size_t kCountOffset = 12;
inline constexpr std::size_t kKindOffset = 14;

inline constexpr int kKindStd = PLINTH_KIND_STD;
inline constexpr int kKindInfo = PLINTH_KIND_INFO;
inline constexpr int kKindItem = PLINTH_KIND_ITEM;

inline constexpr std::size_t kStdEntryBytes = 10;
inline constexpr std::size_t kInfoEntryBytes = 52;
inline constexpr std::size_t kItemEntryBytes = 8;

inline constexpr std::size_t kParamIdOffset = 0;
inline constexpr std::size_t kStdLowOffset = 2;
inline constexpr std::size_t kStdHighOffset = 6;
inline constexpr std::size_t kInfoTextOffset = 2;
inline constexpr std::size_t kInfoTextBytes = 50;
inline constexpr std::size_t kInfoTextMaxLength = kInfoTextBytes - 1;
inline constexpr std::size_t kItemIdOffset = 0;
inline constexpr std::size_t kItemDevOffset = 4;

// Parameter IDs a writer accepts (the entry holds 16 bits, 0 is no parameter).
inline constexpr int kMinParamId = 1;
inline constexpr int kMaxParamId = 65535;

// The byte layout above is the one the C header declares.
static_assert(sizeof(StdHead) == kHeadBytes);
static_assert(offsetof(StdHead, payloadBytes) == kPayloadOffset);
static_assert(offsetof(StdHead, count) == kCountOffset);
static_assert(offsetof(StdHead, kind) == kKindOffset);
static_assert(sizeof(StdEntry) == kStdEntryBytes);
static_assert(offsetof(StdEntry, lvalue) == kStdLowOffset);
static_assert(offsetof(StdEntry, hvalue) == kStdHighOffset);
static_assert(sizeof(InfoEntry) == kInfoEntryBytes);
static_assert(offsetof(InfoEntry, text) == kInfoTextOffset);
static_assert(sizeof(ItemEntry) == kItemEntryBytes);
static_assert(offsetof(ItemEntry, devId) == kItemDevOffset);

// Bytes of one entry of `kind`, 0 for a kind that is not 1..3.
constexpr std::size_t EntryBytes(int kind) {
    switch (kind) {
        case kKindStd:
            return kStdEntryBytes;
        case kKindInfo:
            return kInfoEntryBytes;
        case kKindItem:
            return kItemEntryBytes;
        default:
            return 0;
    }
}

}  // namespace plinth::layout
