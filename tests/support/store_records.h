#pragma once
// Builders of table records and of standard-file bytes for the store tests.
// File bytes are put together here byte by byte, independently of the code
// under test.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "store/standard_table.h"

namespace store_test {

inline store::StdRecord Rec(int32_t devid, int32_t itemid, std::string_view condition,
                            int32_t paramid, float hvalue = 0, float lvalue = 0) {
    store::StdRecord r;
    r.devid = devid;
    r.itemid = itemid;
    r.condition = condition;
    r.paramid = paramid;
    r.hvalue = hvalue;
    r.lvalue = lvalue;
    return r;
}

inline std::string Le32(uint32_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
            static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
}

inline std::string FileHeader(int32_t recordCount, int32_t byteCount) {
    return Le32(static_cast<uint32_t>(recordCount)) + Le32(static_cast<uint32_t>(byteCount));
}

// One 170-byte record; `condition` fills the 150-byte field from its start
// (pass 150 bytes to leave no terminator), the rest is zero.
inline std::string FileRecord(int32_t devid, int32_t itemid, std::string_view condition,
                              int32_t paramid, float hvalue = 0, float lvalue = 0) {
    std::string field(150, '\0');
    field.replace(0, condition.size(), condition);
    uint32_t h, l;
    std::memcpy(&h, &hvalue, 4);
    std::memcpy(&l, &lvalue, 4);
    return Le32(static_cast<uint32_t>(devid)) + Le32(static_cast<uint32_t>(itemid)) + field +
           Le32(static_cast<uint32_t>(paramid)) + Le32(h) + Le32(l);
}

}  // namespace store_test
