#pragma once
// The condition rules: the engine's knowledge of the national standards. For
// one test item they turn the VehicleProfile into the condition text under
// which the standard table files that vehicle's limits. The texts are keys
// into stored data and are produced byte for byte (GBK).
#include "engine/vehicle_profile.h"

namespace engine {

// Room of the caller's condition buffer, terminating NUL included.
inline constexpr int kConditionBytes = 200;

// Writes the condition of `itemId` for vehicle `p` into `out`
// (kConditionBytes, NUL-terminated). Returns 1 when a condition was written,
// which for some vehicles is the empty text, and 0 when the item has no
// condition for this vehicle (out is then empty).
//
// With `seriesMode` 1 the rules are not consulted: every item's condition is
// the vehicle's series key, and a vehicle without a series ("VEH" in any case
// of letters) has no condition for any item.
//
// `classFlag`, when given, receives the vehicle class worked out by item
// 276's rule (1 for the second-class and "all first-class" conditions, 0 for
// the reference-mass classes of older vehicles); 0 for every other item and
// in series mode.
int BuildCondition(const VehicleProfile &p, int itemId, char *out, int seriesMode,
                   int *classFlag = nullptr);

// Compares two "year-month-day" texts as year * 10000 + month * 100 + day,
// a part that cannot be read counting as 0. Returns 1 when `a` is on or
// after `b`, -1 when it is before; never 0.
int CompareDates(const char *a, const char *b);

}  // namespace engine
