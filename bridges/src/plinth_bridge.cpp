#include "bridges/plinth_bridge.h"

#include <cstring>

#include <string>

#include "gbk_texts.h"
#include "platform/paths.h"
#include "platform/system_directory.h"
#include "platform/trace.h"

namespace bridges {
namespace {

// Resolves one name into `slot`; false when the library lacks it.
template <typename Fn>
bool Resolve(const platform::DynamicLibrary &library, const char *name, Fn &slot) {
    slot = reinterpret_cast<Fn>(library.Symbol(name));
    return slot != nullptr;
}

}  // namespace

int PlinthBridge::LoadPlinth(int variant, const void *moduleAddress) {
    UnloadPlinth();
    const std::string dir = platform::SystemDirectory(moduleAddress);
    if (dir.empty()) return kPlinthAbsent;
    const std::string path = platform::JoinPath(dir, PlinthFileName(variant));
    if (!library_.Open(path)) {
        platform::TraceF("Plinth: %s", library_.LastError().c_str());
        platform::Notice(texts::kPlinthMissing);
        return -1;
    }
    // The declaration order of plinth.h: a missing name at position p gives
    // -2 - p; the names resolved before it stay usable.
    int position = 0;
    auto step = [&](const char *name, auto &slot) {
        if (position < 0) return;
        if (Resolve(library_, name, slot)) {
            ++position;
        } else {
            platform::TraceF("Plinth: missing %s", name);
            position = -2 - position;
        }
    };
    step("GetPlinthStrSize", ops_.getPlinthStrSize);
    step("GetPlinth", ops_.getPlinth);
    step("GetField", ops_.getField);
    step("ParseStdHead", ops_.parseStdHead);
    step("ParseStdHead_Info", ops_.parseStdHeadInfo);
    step("ParseStdHead_Info_Idx", ops_.parseStdHeadInfoIdx);
    step("ParseStdHead_Item_Idx", ops_.parseStdHeadItemIdx);
    step("ParseStdHead_Std", ops_.parseStdHeadStd);
    step("ParseStdHead_Std_Idx", ops_.parseStdHeadStdIdx);
    step("WriteStdHead", ops_.writeStdHead);
    step("WriteStdHead_Info", ops_.writeStdHeadInfo);
    step("WriteStdHead_Std", ops_.writeStdHeadStd);
    step("WriteStdHead_Item", ops_.writeStdHeadItem);
    step("IsSubID_char", ops_.isSubIdChar);
    step("IsSubID_int", ops_.isSubIdInt);
    step("IsSubID_charEx", ops_.isSubIdCharEx);
    step("GetMainID", ops_.getMainId);
    step("GetParamIDByName", ops_.getParamIdByName);
    step("GetZK2IDInfo", ops_.getZk2IdInfo);
    step("TrimLeft", ops_.trimLeft);
    step("TrimRight", ops_.trimRight);
    if (position < 0) return position;
    if (ops_.getPlinthStrSize() != PLINTH_ENV_SIZE) return -9999;
    return 1;
}

void PlinthBridge::UnloadPlinth() {
    ops_ = Operations{};
    library_.Close();
}

// Each operation forwards to the library, or answers "absent".
#define PLINTH_FORWARD(slot, ...) \
    return ops_.slot != nullptr ? ops_.slot(__VA_ARGS__) : kPlinthAbsent

int PlinthBridge::GetPlinthStrSize() const {
    PLINTH_FORWARD(getPlinthStrSize);
}
int PlinthBridge::GetPlinth(char *env) const {
    PLINTH_FORWARD(getPlinth, env);
}
int PlinthBridge::GetField(const char *line, char *out, int n) const {
    PLINTH_FORWARD(getField, line, out, n);
}
int PlinthBridge::ParseStdHead(const void *buf, StdHead *head) const {
    PLINTH_FORWARD(parseStdHead, buf, head);
}
int PlinthBridge::ParseStdHead_Info(const void *buf, int paramId, InfoEntry *e) const {
    PLINTH_FORWARD(parseStdHeadInfo, buf, paramId, e);
}
int PlinthBridge::ParseStdHead_Info_Idx(const void *buf, int index, InfoEntry *e) const {
    PLINTH_FORWARD(parseStdHeadInfoIdx, buf, index, e);
}
int PlinthBridge::ParseStdHead_Item_Idx(const void *buf, int index, ItemEntry *e) const {
    PLINTH_FORWARD(parseStdHeadItemIdx, buf, index, e);
}
int PlinthBridge::ParseStdHead_Std(const void *buf, int paramId, StdEntry *e) const {
    PLINTH_FORWARD(parseStdHeadStd, buf, paramId, e);
}
int PlinthBridge::ParseStdHead_Std_Idx(const void *buf, int index, StdEntry *e) const {
    PLINTH_FORWARD(parseStdHeadStdIdx, buf, index, e);
}
int PlinthBridge::WriteStdHead(void *buf, const StdHead *head) const {
    PLINTH_FORWARD(writeStdHead, buf, head);
}
int PlinthBridge::WriteStdHead_Info(void *buf, int paramId, const char *text) const {
    PLINTH_FORWARD(writeStdHeadInfo, buf, paramId, text);
}
int PlinthBridge::WriteStdHead_Std(void *buf, int paramId, float lvalue, float hvalue) const {
    PLINTH_FORWARD(writeStdHeadStd, buf, paramId, lvalue, hvalue);
}
int PlinthBridge::WriteStdHead_Item(void *buf, int itemId, int devId) const {
    PLINTH_FORWARD(writeStdHeadItem, buf, itemId, devId);
}
int PlinthBridge::IsSubID_char(const char *text) const {
    PLINTH_FORWARD(isSubIdChar, text);
}
int PlinthBridge::IsSubID_int(int number) const {
    PLINTH_FORWARD(isSubIdInt, number);
}
int PlinthBridge::IsSubID_charEx(const char *text, int paramId) const {
    PLINTH_FORWARD(isSubIdCharEx, text, paramId);
}
int PlinthBridge::GetMainID(int code) const {
    PLINTH_FORWARD(getMainId, code);
}
int PlinthBridge::GetParamIDByName(const char *text, int paramId, char *out) const {
    PLINTH_FORWARD(getParamIdByName, text, paramId, out);
}
int PlinthBridge::GetZK2IDInfo(int code, char *out) const {
    PLINTH_FORWARD(getZk2IdInfo, code, out);
}
void PlinthBridge::TrimLeft(char *text, char ch) const {
    if (ops_.trimLeft != nullptr) ops_.trimLeft(text, ch);
}
void PlinthBridge::TrimRight(char *text, char ch) const {
    if (ops_.trimRight != nullptr) ops_.trimRight(text, ch);
}

#undef PLINTH_FORWARD

StdHead EmptyStandardHead() {
    StdHead head;
    std::memset(&head, 0, sizeof head);
    head.magic[0] = 0x55;
    head.magic[1] = 0xAA;
    head.version[0] = head.version[1] = head.version[2] = 1;
    head.kind = PLINTH_KIND_STD;
    return head;
}

}  // namespace bridges
