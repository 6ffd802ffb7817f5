#include "generator/default_standard.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "bridges/ext_module.h"
#include "bridges/plinth_bridge.h"
#include "platform/gbk.h"
#include "platform/value_text.h"

namespace generator {
namespace {

// A control's text is at most 500 characters; GBK characters take one or two bytes.
std::string ConditionText(const std::string &text) {
    std::size_t bytes = 0, chars = 0;
    while (bytes < text.size() && chars < kConditionTextChars) {
        const bool wide = platform::IsGbkLeadByte(static_cast<unsigned char>(text[bytes])) &&
                          bytes + 1 < text.size();
        bytes += wide ? 2 : 1;
        ++chars;
    }
    return text.substr(0, bytes);
}

}  // namespace

DefaultStandardResult ComputeDefaultStandard(const bridges::PlinthBridge &plinth,
                                             bridges::ExtModule &module,
                                             const VehicleConditions &conditions,
                                             ExchangeBuffers &buffers) {
    if (!module.IsLoaded()) return DefaultStandardResult::kModuleMissing;
    std::fill(buffers.info.begin(), buffers.info.end(), 0);
    std::fill(buffers.standard.begin(), buffers.standard.end(), 0);
    for (std::size_t i = 0; i < conditions.size(); ++i)
        plinth.WriteStdHead_Info(buffers.info.data(), kVehicleConditionIds[i],
                                 ConditionText(conditions[i]).c_str());
    ResolveInfoCodes(plinth, buffers.info.data());
    const StdHead head = bridges::EmptyStandardHead();
    if (plinth.WriteStdHead(buffers.standard.data(), &head) <= 0)
        return DefaultStandardResult::kHeadNotWritten;
    module.ExtInitInfo(buffers.info.data());
    module.ExtGetStand(buffers.standard.data());
    return DefaultStandardResult::kComputed;
}

void ResolveInfoCodes(const bridges::PlinthBridge &plinth, void *infoBuffer) {
    StdHead head;
    if (plinth.ParseStdHead(infoBuffer, &head) <= 0) return;
    const int count = head.count;
    for (int index = 0; index < count; ++index) {
        InfoEntry entry;
        std::memset(&entry, 0, sizeof entry);
        if (plinth.ParseStdHead_Info_Idx(infoBuffer, index, &entry) <= 0) continue;
        entry.text[sizeof entry.text - 1] = '\0';
        if (plinth.IsSubID_char(entry.text) >= 1) continue;
        char code[PLINTH_NAME_BYTES] = {};
        if (plinth.GetParamIDByName(entry.text, entry.paramId, code) > 0 &&
            plinth.IsSubID_int(platform::IntegerOf(code)) > 0)
            plinth.WriteStdHead_Info(infoBuffer, entry.paramId, code);
    }
}

AppliedDefault ApplyDefaultStandard(const bridges::PlinthBridge &plinth, const void *stdBuffer,
                                    Catalogue &catalogue, const MaskTable &mask) {
    AppliedDefault out;
    StdHead head;
    if (plinth.ParseStdHead(stdBuffer, &head) <= 0) return out;
    out.applied = true;
    catalogue.ForEachParam([&](const CatalogueDevice &, const CatalogueItem &,
                               CatalogueParam &param, const ParamPosition &at) {
        if (mask.IsMasked(param.paramid)) return;
        StdEntry entry;
        std::memset(&entry, 0, sizeof entry);
        if (plinth.ParseStdHead_Std(stdBuffer, param.paramid, &entry) <= 0) return;
        param.hvalue = entry.hvalue;
        param.lvalue = entry.lvalue;
        out.rows.push_back({at, param.paramid, param.hvalue, param.lvalue});
    });
    return out;
}

}  // namespace generator
