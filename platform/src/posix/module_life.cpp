// Linux: the object's constructor and destructor are the module's load and
// unload notifications.
#include "platform/module_life.h"

namespace platform {
namespace {

ModuleRoutine detachRoutine = nullptr;

}  // namespace

ModuleLifeCycle::ModuleLifeCycle(ModuleRoutine attach, ModuleRoutine detach) noexcept {
    detachRoutine = detach;
    if (attach != nullptr) attach();
}

ModuleLifeCycle::~ModuleLifeCycle() {
    RunModuleDetach();
}

void RunModuleAttach() noexcept {}

void RunModuleDetach() noexcept {
    ModuleRoutine detach = detachRoutine;
    detachRoutine = nullptr;
    if (detach != nullptr) detach();
}

}  // namespace platform
