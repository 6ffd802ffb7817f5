#include "condition_sources.h"

#include <cstring>

#include "engine/condition_rules.h"
#include "engine/profile_intake.h"
#include "plinth.h"

namespace audit {
namespace {

std::unique_ptr<unsigned char[]> NewBuffer() {
    return std::unique_ptr<unsigned char[]>(new unsigned char[PLINTH_BUFFER_BYTES]());
}

}  // namespace

bool WriteInformation(const bridges::PlinthBridge &plinth, const Registration &registration,
                      unsigned char *buffer) {
    std::memset(buffer, 0, PLINTH_BUFFER_BYTES);
    for (const RegistrationValue &value : registration)
        if (plinth.WriteStdHead_Info(buffer, value.paramId, value.text.c_str()) != 1) return false;
    return true;
}

PluginConditions::PluginConditions(const bridges::PlinthBridge &plinth, InitInfo initInfo,
                                   GetCondition getCondition)
    : plinth_(plinth), initInfo_(initInfo), getCondition_(getCondition), buffer_(NewBuffer()) {}

bool PluginConditions::ConditionOf(const Registration &registration, int itemId,
                                   std::string &condition) {
    if (!WriteInformation(plinth_, registration, buffer_.get())) return false;
    if (initInfo_(buffer_.get()) != 1) return false;
    char text[engine::kConditionBytes] = {};
    if (getCondition_(itemId, text, sizeof text) != 1) return false;
    condition.assign(text, strnlen(text, sizeof text));
    return true;
}

EngineConditions::EngineConditions(const bridges::PlinthBridge &plinth)
    : plinth_(plinth), buffer_(NewBuffer()) {}

bool EngineConditions::ConditionOf(const Registration &registration, int itemId,
                                   std::string &condition) {
    if (!WriteInformation(plinth_, registration, buffer_.get())) return false;
    if (engine::TakeVehicleInfo(plinth_, buffer_.get(), profile_) != 1) return false;
    char text[engine::kConditionBytes] = {};
    if (engine::BuildCondition(profile_, itemId, text, 0) != 1) return false;
    condition.assign(text, strnlen(text, sizeof text));
    return true;
}

}  // namespace audit
