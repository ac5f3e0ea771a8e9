// The library entry. At load it records the module handle (for the glyph,
// the manifest and window classes) and zeroes the host blocks. At unload it
// frees the visual-style services should a run have left them, which gives
// the host's main window its procedure back: a procedure of an unloaded
// library would crash the host.
// At process exit (reserved non-null) nothing is undone.
#include <windows.h>

#include "plugin/PlgInt.h"
#include "themes/ThemeSrv.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) InitializePlgInt(instance);
    if (reason == DLL_PROCESS_DETACH && !reserved) FreeSharedThemeServices();
    return TRUE;
}
