// The library entry. At load it records the module handle (for the glyph,
// the manifest and window classes) and zeroes the host blocks; nothing else
// runs under the loader lock, and nothing needs undoing at unload.
#include <windows.h>

#include "plugin/PlgInt.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    static_cast<void>(reserved);
    if (reason == DLL_PROCESS_ATTACH) InitializePlgInt(instance);
    return TRUE;
}
