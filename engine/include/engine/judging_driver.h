#pragma once
// The judging pass after the vehicle's intake: which items are judged, and
// the limits of every selected item written into the host's standard buffer.
#include "bridges/plinth_bridge.h"
#include "engine/vehicle_profile.h"
#include "store/item_set.h"
#include "store/standard_table.h"

namespace engine {

// The body of ExtInitItem. A non-null buffer whose head parses with a count
// above 0 replaces the selection by the items it lists (unknown IDs are
// traced and ignored); a null buffer selects every item the table holds.
// Results: 0 when the head parsed with count 0 (selection unchanged); -1000
// in every other case, including a completed selection.
int SelectItems(const bridges::PlinthBridge &plinth, const store::StandardTable &table,
                store::ItemSet &items, const void *itemBuffer);

// The body of ExtGetStand: starts the buffer as an empty standard buffer
// unless it already holds entries, then, for every selected item in
// processing order whose condition can be built and is in the table, appends
// its limits. Returns the number of items written (0 for a null buffer).
int WriteStandards(const bridges::PlinthBridge &plinth, const store::StandardTable &table,
                   const store::ItemSet &items, const VehicleProfile &profile, int seriesMode,
                   void *stdBuffer);

}  // namespace engine
