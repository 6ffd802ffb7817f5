#include "bridges/ext_module.h"

#include <algorithm>
#include <iterator>

namespace bridges {
namespace {

struct SlotRow {
    int family;
    const char *name;
    bool inSergen;
};

#define BRIDGES_EXT_IN_SERGEN_Both true
#define BRIDGES_EXT_IN_SERGEN_Full false
#define BRIDGES_EXT_ROW(family, name, sets, bridge) \
    SlotRow{family, #name, BRIDGES_EXT_IN_SERGEN_##sets},
constexpr SlotRow kSlotTable[] = {BRIDGES_EXT_SLOTS(BRIDGES_EXT_ROW)};
#undef BRIDGES_EXT_ROW
#undef BRIDGES_EXT_IN_SERGEN_Full
#undef BRIDGES_EXT_IN_SERGEN_Both

constexpr std::size_t kRows = std::size(kSlotTable);
constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);

constexpr bool InSet(const SlotRow &row, ExtModule::SlotSet set) {
    return set == ExtModule::SlotSet::kFull || row.inSergen;
}

// The first row of `name` in `family` (a name twice in one family shares its
// address, so the first stands for both), or kNoSlot.
constexpr std::size_t FindRow(int family, std::string_view name) {
    for (std::size_t i = 0; i < kRows; ++i) {
        if (kSlotTable[i].family == family && name == kSlotTable[i].name) return i;
    }
    return kNoSlot;
}

// Makes a named bridge whose name is missing from family 1 fail to compile.
template <std::size_t Row>
constexpr std::size_t Family1Row() {
    static_assert(Row != kNoSlot, "a named bridge needs a family-1 row");
    return Row;
}
#define BRIDGES_EXT_FAMILY1_SLOT(name) slots_[Family1Row<FindRow(1, #name)>()]

// Calls `entry` as Fn; the entry's exceptions stop here.
template <typename Fn, typename... Args>
int Invoke(void *entry, Args... args) {
    if (entry == nullptr) return EXT_MISSING_ENTRY;
    try {
        return reinterpret_cast<Fn>(entry)(args...);
    } catch (...) {
        return EXT_DRIVEN_EXCEPTION;
    }
}

using IntEntry = int (*)(void *);

}  // namespace

ExtModule::ExtModule(SlotSet set) : set_(set), slots_(kRows, nullptr) {}

bool ExtModule::Load(const std::string &fileName) {
    if (library_.IsOpen()) return true;
    if (!library_.Open(fileName)) return false;
    fileName_ = fileName.substr(0, kMaxFileName);
    for (std::size_t i = 0; i < kRows; ++i) {
        if (InSet(kSlotTable[i], set_)) slots_[i] = library_.Symbol(kSlotTable[i].name);
    }
    return true;
}

void ExtModule::Unload() {
    std::fill(slots_.begin(), slots_.end(), nullptr);
    fileName_.clear();
    library_.Close();
}

std::size_t ExtModule::SlotCount(SlotSet set) {
    return static_cast<std::size_t>(
        std::count_if(std::begin(kSlotTable), std::end(kSlotTable),
                      [set](const SlotRow &r) { return InSet(r, set); }));
}

bool ExtModule::HasSlot(SlotSet set, int family, std::string_view name) {
    const std::size_t row = FindRow(family, name);
    return row != kNoSlot && InSet(kSlotTable[row], set);
}

std::size_t ExtModule::SlotIndex(int family, std::string_view name) const {
    return HasSlot(set_, family, name) ? FindRow(family, name) : kNoSlot;
}

const void *ExtModule::SlotAddress(int family, std::string_view name) const {
    const std::size_t row = SlotIndex(family, name);
    return row != kNoSlot ? slots_[row] : nullptr;
}

int ExtModule::Call(int family, std::string_view name, void *arg) const {
    const std::size_t row = SlotIndex(family, name);
    return Invoke<IntEntry>(row != kNoSlot ? slots_[row] : nullptr, arg);
}

void *ExtModule::GetDevData() const {
    void *entry = BRIDGES_EXT_FAMILY1_SLOT(GetDevData);
    if (entry == nullptr) return nullptr;
    try {
        return reinterpret_cast<decltype(&::GetDevData)>(entry)();
    } catch (...) {
        return nullptr;
    }
}

int ExtModule::ExtInit(void *initRecord) const {
    return Invoke<decltype(&::ExtInit)>(BRIDGES_EXT_FAMILY1_SLOT(ExtInit), initRecord);
}
int ExtModule::ExtInitInfo(void *infoBuffer) const {
    return Invoke<decltype(&::ExtInitInfo)>(BRIDGES_EXT_FAMILY1_SLOT(ExtInitInfo), infoBuffer);
}
int ExtModule::ExtInitItem(void *itemBuffer) const {
    return Invoke<decltype(&::ExtInitItem)>(BRIDGES_EXT_FAMILY1_SLOT(ExtInitItem), itemBuffer);
}
int ExtModule::ExtGetStand(void *stdBuffer) const {
    return Invoke<decltype(&::ExtGetStand)>(BRIDGES_EXT_FAMILY1_SLOT(ExtGetStand), stdBuffer);
}
int ExtModule::ExtShow(int show, ExtRect rect) const {
    return Invoke<decltype(&::ExtShow)>(BRIDGES_EXT_FAMILY1_SLOT(ExtShow), show, rect);
}
int ExtModule::ExtParamSave(void *unused) const {
    return Invoke<decltype(&::ExtParamSave)>(BRIDGES_EXT_FAMILY1_SLOT(ExtParamSave), unused);
}
int ExtModule::ExtRelease() const {
    return Invoke<decltype(&::ExtRelease)>(BRIDGES_EXT_FAMILY1_SLOT(ExtRelease));
}
int ExtModule::ExtStop() const {
    return Invoke<decltype(&::ExtStop)>(BRIDGES_EXT_FAMILY1_SLOT(ExtStop));
}

void ExtModule::ExtGetErrorInfo(char *out) const {
    void *entry = BRIDGES_EXT_FAMILY1_SLOT(ExtGetErrorInfo);
    if (entry == nullptr) return;
    try {
        reinterpret_cast<decltype(&::ExtGetErrorInfo)>(entry)(out);
    } catch (...) {
        // A void entry has no result to report the failure in.
    }
}

#define BRIDGES_EXT_DEFINE_Typed(name)
#define BRIDGES_EXT_DEFINE_None(name)
#define BRIDGES_EXT_DEFINE_Named(name)                                \
    int ExtModule::name(void *arg) const {                            \
        return Invoke<IntEntry>(BRIDGES_EXT_FAMILY1_SLOT(name), arg); \
    }
#define BRIDGES_EXT_DEFINE(family, name, sets, bridge) BRIDGES_EXT_DEFINE_##bridge(name)
BRIDGES_EXT_SLOTS(BRIDGES_EXT_DEFINE)
#undef BRIDGES_EXT_DEFINE
#undef BRIDGES_EXT_DEFINE_Named
#undef BRIDGES_EXT_DEFINE_None
#undef BRIDGES_EXT_DEFINE_Typed
#undef BRIDGES_EXT_FAMILY1_SLOT

}  // namespace bridges
