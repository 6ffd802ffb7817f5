#pragma once
// Byte layout of StandarFile.sfd (see docs/standard_file.md). Little-endian,
// packed, no magic and no version: an 8-byte header, then recordCount records
// of 170 bytes, one per parameter limit.
#include <cstddef>

namespace store::sfd {

inline constexpr char kFileName[] = "StandarFile.sfd";

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kHeaderRecordCount = 0;  // int32
inline constexpr std::size_t kHeaderByteCount = 4;    // int32: recordCount * kRecordSize

inline constexpr std::size_t kRecordSize = 170;
inline constexpr std::size_t kDevid = 0;      // int32
inline constexpr std::size_t kItemid = 4;     // int32
inline constexpr std::size_t kCondition = 8;  // 150 bytes, NUL-terminated text
inline constexpr std::size_t kConditionSize = 150;
inline constexpr std::size_t kParamid = 158;  // int32
inline constexpr std::size_t kHvalue = 162;   // float32, upper limit
inline constexpr std::size_t kLvalue = 166;   // float32, lower limit

}  // namespace store::sfd
