// Limbank's exports of the Ext family and its module life. Every export that
// returns int runs its body under a catch-all: an exception yields -1002 and
// never crosses into the host.
#include <cstring>
#include <utility>

#include "bridges/export_guard.h"
#include "engine/condition_rules.h"
#include "engine/judging_driver.h"
#include "engine/profile_intake.h"
#include "ext_family.h"
#include "limbank_module.h"
#include "platform/gbk.h"
#include "platform/module_life.h"

namespace {

void AttachModule() noexcept;
void DetachModule() noexcept;

// The module's state is the first member and the life cycle the last, so
// the state is built before attach and destroyed after detach: on Linux the
// cycle's constructor and destructor run them (dlopen, dlclose, process
// exit); on Windows DllMain does (process attach and detach).
struct ModuleLife {
    limbank::LimbankModule module;
    platform::ModuleLifeCycle cycle{&AttachModule, &DetachModule};
};

ModuleLife moduleLife;

limbank::LimbankModule &Module() {
    return moduleLife.module;
}

using bridges::Guarded;

constexpr int kConditionBufferBytes = 200;

}  // namespace

extern "C" {

int ExtInit(void *) {
    return Guarded([] {
        Module().deviceData.MarkInitialised();
        return EXT_DONE;
    });
}

int ExtInitInfo(void *infoBuffer) {
    return Guarded([&] {
        auto &m = Module();
        return engine::TakeVehicleInfo(m.plinth, infoBuffer, m.profile);
    });
}

int ExtInitItem(void *itemBuffer) {
    return Guarded([&] {
        auto &m = Module();
        return engine::SelectItems(m.plinth, m.table, m.items, itemBuffer);
    });
}

int ExtGetStand(void *stdBuffer) {
    return Guarded([&] {
        auto &m = Module();
        return engine::WriteStandards(m.plinth, m.table, m.items, m.profile, m.seriesStandardMode,
                                      stdBuffer);
    });
}

int ExtGetCondition(int itemId, char *out, int outSize) {
    if (out == nullptr || outSize < 1) return EXT_NULL_ARGUMENT;
    return Guarded([&] {
        auto &m = Module();
        char condition[kConditionBufferBytes] = {};
        if (engine::BuildCondition(m.profile, itemId, condition, m.seriesStandardMode) == 0) {
            out[0] = '\0';
            return 0;
        }
        const std::size_t keep = platform::GbkCutLength(
            std::string_view(condition, strnlen(condition, sizeof condition)),
            static_cast<std::size_t>(outSize) - 1);
        std::memcpy(out, condition, keep);
        out[keep] = '\0';
        return 1;
    });
}

int ExtParamSave(void *) {
    return Guarded([] {
        limbank::ReloadFromDatabase(Module());
        return EXT_NOT_PROVIDED;
    });
}

int ExtRelease(void) {
    return Guarded([] { return EXT_DONE; });
}

void ExtGetErrorInfo(char *out) {
    try {
        if (out != nullptr)
            std::memcpy(out, Module().errorText, std::strlen(Module().errorText) + 1);
    } catch (...) {
    }
}

void *GetDevData(void) {
    return Module().deviceData.Data();
}

int ExtShow(int, ExtRect) {
    return EXT_NOT_PROVIDED;
}
int ExtStop(void) {
    return EXT_NOT_PROVIDED;
}

// The members a limits module does not provide.
#define LIMBANK_NOT_PROVIDED(name) \
    int name(void *) {             \
        return EXT_NOT_PROVIDED;   \
    }
LIMBANK_NOT_PROVIDED(ExtInitStd)
LIMBANK_NOT_PROVIDED(ExtInitResult)
LIMBANK_NOT_PROVIDED(ExtInitCalib)
LIMBANK_NOT_PROVIDED(ExtRun)
LIMBANK_NOT_PROVIDED(ExtMove)
LIMBANK_NOT_PROVIDED(ExtGetType)
LIMBANK_NOT_PROVIDED(ExtGetInfo)
LIMBANK_NOT_PROVIDED(ExtGetItem)
LIMBANK_NOT_PROVIDED(ExtGetResult)
LIMBANK_NOT_PROVIDED(ExtGetCalib)
#undef LIMBANK_NOT_PROVIDED

}  // extern "C"

namespace {

void AttachModule() noexcept {
    try {
        limbank::Attach(Module(), reinterpret_cast<const void *>(&ExtInit));
    } catch (...) {
        // The module stays loaded with whatever the start-up reached.
    }
}

void DetachModule() noexcept {
    try {
        limbank::Detach(Module());
    } catch (...) {
    }
}

}  // namespace
