#include "ui/Application.h"

namespace ui {

TApplication Application;

namespace {

BOOL CALLBACK TakeFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
    *reinterpret_cast<LPWSTR *>(found) = name;
    return FALSE;  // the first manifest is the one
}

}  // namespace

HINSTANCE TApplication::Instance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&TApplication::Instance), &module);
    return module;
}

HANDLE TApplication::ActivationContext() {
    if (contextTried_) return context_.Get();
    contextTried_ = true;
    const HMODULE module = Instance();
    // A DLL's manifest is usually resource 2, but take whichever one is
    // there. Integer names stay valid; string names are used at once.
    LPWSTR name = nullptr;
    EnumResourceNamesW(module, MAKEINTRESOURCEW(24), TakeFirstName, reinterpret_cast<LONG_PTR>(&name));
    if (!name) return nullptr;
    ACTCTXW ctx{};
    ctx.cbSize = sizeof ctx;
    ctx.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    ctx.hModule = module;
    ctx.lpResourceName = name;
    // The module's path in UTF-16: in the ANSI code page a folder named in
    // another script would come out as question marks.
    wchar_t path[MAX_PATH] = {};
    if (GetModuleFileNameW(module, path, MAX_PATH) > 0) ctx.lpSource = path;
    context_.Reset(CreateActCtxW(&ctx));
    return context_.Get();
}

}  // namespace ui

#include <commctrl.h>

namespace ui {

TCreationScope::TCreationScope() : scope_(Application.ActivationContext()) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
}

}  // namespace ui
