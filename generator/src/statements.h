#pragma once
// The series editor's statements, one table per server dialect. Every value
// is a `?` parameter.
#include <cstdint>
#include <string>

#include "stationdb/stationdb.h"

namespace generator {

struct GeneratorStatements {
    const char *devices;      // devid, devname
    const char *deviceItems;  // ? devid -> ItemId, ItemName
    const char *itemParams;   // ? devid, ? itemid -> ParamId, ParamName
    const char *brands;       // ? LIKE pattern -> CPMC
    const char *series;       // ? brand -> CXXL
    const char *seriesRows;   // ? condition, itemids -> itemid, paramid, hvalue, lvalue,
                              // type, itemname, paramname, stdorder
    const char *writeLock;    // taken first in a generation's transaction
    // SQL Server: one batch per parameter (? itemid, condition, paramid; type,
    // itemid, itemname, condition, paramid, paramname, hvalue, lvalue;
    // hvalue, lvalue, itemid, condition, paramid). Null elsewhere.
    const char *upsertBatch;
    const char *updateOne;  // ? hvalue, lvalue, itemid, condition, paramid
    const char
        *insertOne;  // ? type, itemid, itemname, condition, paramid, paramname, hvalue, lvalue
    // Many rows per statement (null where the dialect has no such form):
    // updateMany is prefixed by the rows "(itemid, paramid, hvalue, lvalue)"
    // and takes the condition last; insertMany is followed by the rows.
    const char *updateManyHead;
    const char *updateManyTail;
    const char *insertManyHead;
    const char *clear;
};

const GeneratorStatements &GeneratorStatementsFor(stationdb::Dialect dialect);

// One key for a parameter of an item: (itemid, paramid) identifies a row of
// a series standard.
inline uint64_t ParamKey(int32_t itemid, int32_t paramid) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(itemid)) << 32) |
           static_cast<uint32_t>(paramid);
}

// A database error's text ("[SQLSTATE] message") in GBK, for the trace and
// for messages; characters without a GBK form become '?'.
std::string ErrorTextGbk(const stationdb::DatabaseError &error);

}  // namespace generator
