// Plinth.dll's entry point. The library keeps no per-process start-up work:
// its code dictionary is read on first use, so attach and detach only
// decline the per-thread notifications.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
    return TRUE;
}
