// Tells an unload by the runner (FreeLibrary) from the end of the process: Windows
// passes a null reserved pointer only for FreeLibrary.
#include <windows.h>

#include "trace.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) trace("unload");
    return TRUE;
}
