// stationdb.dll's entry point. The handle registry is built on first use and
// never destroyed, so attach and detach have nothing to do but decline the
// per-thread notifications.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
    return TRUE;
}
