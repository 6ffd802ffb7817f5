#pragma once
// Limbank's module-wide state and its load and unload routines. One object of
// LimbankModule lives from the plug-in's load to its unload; the exports work
// on it and on nothing else.
#include <string>
#include <vector>

#include "bridges/device_data.h"
#include "bridges/plinth_bridge.h"
#include "engine/vehicle_profile.h"
#include "store/database_loader.h"
#include "store/item_set.h"
#include "store/standard_table.h"

namespace limbank {

inline constexpr std::size_t kErrorTextBytes = 1000;
inline constexpr std::size_t kConnectStringChars = 499;
inline constexpr std::size_t kSeriesModeFieldChars = 29;
inline constexpr int kSeriesModeField = 17;
inline constexpr int kPlinthVariant = 1;
// The room of configDirectory in the environment record, without its NUL: a
// value this long may have been cut.
inline constexpr std::size_t kConfigDirectoryFieldChars = 259;

struct LimbankModule {
    bridges::PlinthBridge plinth;
    std::vector<char> plinthEnv;  // the environment record that GetPlinth fills
    store::StandardTable table;
    store::ItemSet items;
    engine::VehicleProfile profile;
    int seriesStandardMode = 0;
    std::string standardFilePath;
    std::string configDirectory;  // "" when missing or cut: no file is read or written
    std::string connectString;
    store::StationDatabase database;  // opened by the database passes only
    bridges::DeviceDataRecord deviceData;
    char errorText[kErrorTextBytes] = {};
};

// The load routine: trace, load the environment library, read the
// configuration from its environment record, fill the table and select the
// items it holds. `moduleAddress` is an address inside the plug-in (its
// directory is the system directory unless $STATION_SYSDIR says otherwise).
void Attach(LimbankModule &module, const void *moduleAddress);
// The unload routine: trace and release the environment library.
void Detach(LimbankModule &module);

// Fills the table from the standard file when it exists, else from the
// database (force 1). Returns 1 or 0 for the file, the database pass's result
// otherwise.
int LoadAtStartup(LimbankModule &module);

// The reload of ExtParamSave: a database pass with force 0.
int ReloadFromDatabase(LimbankModule &module);

}  // namespace limbank
