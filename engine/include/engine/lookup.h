#pragma once
// Limit lookup and output: the limits stored under one (item, condition) pair
// go into the caller's standard buffer through the environment library.
#include "bridges/plinth_bridge.h"
#include "store/standard_table.h"

namespace engine {

// The item whose limits depend on the vehicle class flag, and its parameters
// that the flag zeroes: with a non-zero flag kClassFlagParamA and
// kClassFlagParamB are written as 0, 0; with flag 0, kClassFlagParamC is.
inline constexpr int kClassFlagItem = 276;
inline constexpr int kClassFlagParamA = 7001;
inline constexpr int kClassFlagParamB = 7003;
inline constexpr int kClassFlagParamC = 7004;

// Finds (itemId, condition) in `table` (ASCII case ignored outside GBK
// characters; the first match in table order) and appends each of its
// parameters, in table order, to `stdBuffer` with WriteStdHead_Std(buffer,
// paramid, lvalue, hvalue); the result of that call is not examined. The
// buffer must already hold a standard head. Returns 1 when at least one
// parameter was written, 0 when the pair is not found, `condition` is null,
// or the condition holds no parameters.
int WriteItemStandard(const bridges::PlinthBridge &plinth, const store::StandardTable &table,
                      void *stdBuffer, int itemId, const char *condition, int classFlag);

}  // namespace engine
