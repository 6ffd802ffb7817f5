#include "engine/lookup.h"

#include <string_view>

namespace engine {
namespace {

// Whether item 276's class flag zeroes this parameter's limits.
bool ZeroedByClassFlag(int itemId, int paramId, int classFlag) {
    if (itemId != kClassFlagItem) return false;
    if (classFlag != 0) return paramId == kClassFlagParamA || paramId == kClassFlagParamB;
    return paramId == kClassFlagParamC;
}

}  // namespace

int WriteItemStandard(const bridges::PlinthBridge &plinth, const store::StandardTable &table,
                      void *stdBuffer, int itemId, const char *condition, int classFlag) {
    if (condition == nullptr) return 0;
    const store::StdCondition *found = table.FindStandard(itemId, std::string_view(condition));
    if (found == nullptr) return 0;
    int written = 0;
    for (const store::StdParam &param : found->params) {
        const bool zeroed = ZeroedByClassFlag(itemId, param.paramid, classFlag);
        plinth.WriteStdHead_Std(stdBuffer, param.paramid, zeroed ? 0.0f : param.lvalue,
                                zeroed ? 0.0f : param.hvalue);
        ++written;
    }
    return written > 0 ? 1 : 0;
}

}  // namespace engine
