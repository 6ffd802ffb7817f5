#pragma once
// The default standard: limits computed by the full standard module (the
// limits plug-in under the file name Zk2GBStdALL.std) for a vehicle described
// by the eleven values of the conditions dialog, copied into the catalogue.
#include <array>
#include <string>
#include <vector>

#include "engine/registration_params.h"
#include "generator/catalogue.h"
#include "generator/mask_table.h"
#include "plinth.h"

namespace bridges {
class PlinthBridge;
class ExtModule;
}  // namespace bridges

namespace generator {

inline constexpr char kFullStandardModuleFile[] = "Zk2GBStdALL.std";

// The information parameters of the conditions dialog, in the order they are
// written into the information buffer: maximum total mass, load ratio,
// occupants, maximum speed, curb mass, drive type, vehicle kind, fuel type,
// lamp system, three-way catalyst, intake type.
inline constexpr std::array<int, 11> kVehicleConditionIds = {
    engine::kParamTotalMass,   engine::kParamLoadRatio, engine::kParamSeats,
    engine::kParamMaxSpeed,    engine::kParamCurbMass,  engine::kParamDriveType,
    engine::kParamVehicleKind, engine::kParamFuel,      engine::kParamLampSystem,
    engine::kParamCatalyst,    engine::kParamIntake};
inline constexpr std::size_t kConditionTextChars = 500;

// The eleven values (GBK), in the order of kVehicleConditionIds: numbers as
// typed, coded values by name or by code.
using VehicleConditions = std::array<std::string, kVehicleConditionIds.size()>;

// The information and standard buffers of one computation (150000 bytes
// each), zeroed before every computation.
struct ExchangeBuffers {
    std::vector<unsigned char> info = std::vector<unsigned char>(PLINTH_BUFFER_BYTES);
    std::vector<unsigned char> standard = std::vector<unsigned char>(PLINTH_BUFFER_BYTES);
};

enum class DefaultStandardResult {
    kComputed,
    kModuleMissing,   // the full standard module is not loaded; buffers untouched
    kHeadNotWritten,  // the standard buffer could not be started
};

// Builds the information buffer from `conditions` (each text cut at 500
// characters), turns value names into codes, starts the standard buffer and
// has the module fill it (ExtInitInfo, then ExtGetStand; their results are
// not looked at).
DefaultStandardResult ComputeDefaultStandard(const bridges::PlinthBridge &plinth,
                                             bridges::ExtModule &module,
                                             const VehicleConditions &conditions,
                                             ExchangeBuffers &buffers);

// Rewrites every information entry whose text is a value name of its
// parameter (not a code yet) as that value's code; numbers stay as typed.
void ResolveInfoCodes(const bridges::PlinthBridge &plinth, void *infoBuffer);

// One row of the editor's list after a default standard.
struct StandardRow {
    ParamPosition at;
    int32_t paramid = 0;
    float hvalue = 0;
    float lvalue = 0;
};

// Copies the limits the standard buffer holds into the catalogue, skipping
// masked parameters; parameters the buffer does not hold keep theirs and get
// no row. `applied` is false (and nothing changes) when the buffer has no
// valid head.
struct AppliedDefault {
    bool applied = false;
    std::vector<StandardRow> rows;
};
AppliedDefault ApplyDefaultStandard(const bridges::PlinthBridge &plinth, const void *stdBuffer,
                                    Catalogue &catalogue, const MaskTable &mask);

}  // namespace generator
