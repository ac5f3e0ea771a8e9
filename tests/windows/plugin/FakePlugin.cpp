// A stand-in plug-in for testing the reference host's side of the contract:
// its Execute makes a small dialog window that hides itself on WM_CLOSE, as
// the real dialog does, hands it to the host's ShowFormProc, and checks what
// a modal display must guarantee. It prints what it found and returns 1 only
// when everything held.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "plugin/PlgInt.h"

namespace {

TLanguageBuffer language;
TPluginHeader header;
TPluginStruct record;
HINSTANCE module = nullptr;
bool ownerDisabledWhileShown = false;
bool shownWhileInside = false;

LRESULT CALLBACK FakeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // Seen from inside the host's loop: the owner must be disabled.
        const HWND owner = GetWindow(window, GW_OWNER);
        ownerDisabledWhileShown = owner != nullptr && !IsWindowEnabled(owner);
        shownWhileInside = IsWindowVisible(window) != FALSE;
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) module = instance;
    return TRUE;
}

extern "C" {

int32_t __stdcall Execute() noexcept {
    if (record.ShowFormProc == nullptr) return 0;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FakeDialogProc;
    windowClass.hInstance = module;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "ExifViewFakeDialog";
    RegisterClassA(&windowClass);
    TPluginForm form;
    form.Handle = CreateWindowExA(WS_EX_DLGMODALFRAME, windowClass.lpszClassName, "Fake dialog",
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100, 200, 120, record.HostWindow, nullptr,
                                  module, nullptr);
    if (form.Handle == nullptr) return 0;
    ownerDisabledWhileShown = shownWhileInside = false;
    record.ShowFormProc(&form, 0, -1, -1);
    const bool hiddenAfter = IsWindowVisible(form.Handle) == FALSE;
    const bool ownerEnabledAfter = record.HostWindow != nullptr && IsWindowEnabled(record.HostWindow) != FALSE;
    std::printf("Fake dialog: shown %d, owner disabled %d, hidden after %d, owner enabled after %d\n",
                shownWhileInside ? 1 : 0, ownerDisabledWhileShown ? 1 : 0, hiddenAfter ? 1 : 0,
                ownerEnabledAfter ? 1 : 0);
    std::fflush(stdout);
    DestroyWindow(form.Handle);
    UnregisterClassA(windowClass.lpszClassName, module);
    return shownWhileInside && ownerDisabledWhileShown && hiddenAfter && ownerEnabledAfter ? 1 : 0;
}

HBITMAP __stdcall RegisterPluginGlyph() noexcept {
    return nullptr;
}
TPluginStruct *__stdcall RegisterPluginStruct() noexcept {
    return &record;
}
TPluginHeader *__stdcall RegisterPluginHeader() noexcept {
    std::strcpy(header.Name, "Fake plug-in");
    return &header;
}
char *__stdcall RegisterPluginLanguage() noexcept {
    return language.data();
}
int32_t __stdcall RegisterCompatibility() noexcept {
    return 2;
}

}  // extern "C"
