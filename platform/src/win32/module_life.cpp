// Windows: DllMain runs the routines; the object only records them. The C
// runtime builds the DLL's static objects before it calls DllMain with
// DLL_PROCESS_ATTACH and destroys them after DLL_PROCESS_DETACH, so attach
// and detach see the module's state whole.
#include "platform/module_life.h"

namespace platform {
namespace {

// Plain pointers, set during static construction of this DLL only.
ModuleRoutine attachRoutine = nullptr;
ModuleRoutine detachRoutine = nullptr;
bool attached = false;

}  // namespace

ModuleLifeCycle::ModuleLifeCycle(ModuleRoutine attach, ModuleRoutine detach) noexcept {
    attachRoutine = attach;
    detachRoutine = detach;
}

ModuleLifeCycle::~ModuleLifeCycle() {
    // A detach that DllMain did not run (the state is going away regardless).
    RunModuleDetach();
    attachRoutine = nullptr;
}

void RunModuleAttach() noexcept {
    if (attached || attachRoutine == nullptr) return;
    attached = true;
    attachRoutine();
}

void RunModuleDetach() noexcept {
    if (!attached) return;
    attached = false;
    ModuleRoutine detach = detachRoutine;
    detachRoutine = nullptr;
    if (detach != nullptr) detach();
}

}  // namespace platform
