// Limbank.dll's entry point: process attach and detach run the module's
// load and unload routines (the ModuleLifeCycle in limbank_exports.cpp),
// which on Linux run from that object's constructor and destructor.
#include <windows.h>

#include "platform/module_life.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            ::DisableThreadLibraryCalls(instance);
            platform::RunModuleAttach();
            break;
        case DLL_PROCESS_DETACH:
            platform::RunModuleDetach();
            break;
        default:
            break;
    }
    return TRUE;
}
