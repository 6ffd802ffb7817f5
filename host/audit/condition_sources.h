#pragma once
// Where the audit's vehicles get their conditions: the limits plug-in itself
// (ExtInitInfo, then ExtGetCondition), or, for a plug-in that serves series
// standards, the same intake and rules linked into this program.
#include <memory>
#include <string>

#include "bridges/plinth_bridge.h"
#include "coverage_audit.h"
#include "engine/vehicle_profile.h"

namespace audit {

// An information buffer of `registration`, written through the environment
// library as a line program writes it. False when a value does not fit.
bool WriteInformation(const bridges::PlinthBridge &plinth, const Registration &registration,
                      unsigned char *buffer);

// The loaded limits plug-in's entry points. The plug-in must judge in
// national mode: in series mode its conditions are series keys.
class PluginConditions : public ConditionSource {
  public:
    using InitInfo = int (*)(void *);
    using GetCondition = int (*)(int, char *, int);
    PluginConditions(const bridges::PlinthBridge &plinth, InitInfo initInfo,
                     GetCondition getCondition);
    bool ConditionOf(const Registration &registration, int itemId, std::string &condition) override;

  private:
    const bridges::PlinthBridge &plinth_;
    InitInfo initInfo_;
    GetCondition getCondition_;
    std::unique_ptr<unsigned char[]> buffer_;
};

// The engine's intake and national rules in this process.
class EngineConditions : public ConditionSource {
  public:
    explicit EngineConditions(const bridges::PlinthBridge &plinth);
    bool ConditionOf(const Registration &registration, int itemId, std::string &condition) override;

  private:
    const bridges::PlinthBridge &plinth_;
    std::unique_ptr<unsigned char[]> buffer_;
    engine::VehicleProfile profile_;
};

}  // namespace audit
