// The application object of the user-interface layer: the one owner of the
// library's top-level windows, and the keeper of the library's module and of
// its common-controls activation context.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Handles.h"

namespace ui {

class TApplication {
public:
    TApplication() = default;
    TApplication(const TApplication &) = delete;
    TApplication &operator=(const TApplication &) = delete;

    // The window that owns every form of the library (the host's window while
    // the library runs inside a host). Null gives unowned forms.
    HWND Handle = nullptr;

    // The module these sources are linked into (the plug-in DLL, not the
    // host's executable, whose handle GetModuleHandle(nullptr) would give).
    static HINSTANCE Instance();

    // The activation context made from the module's own manifest resource,
    // created on first use. Inside a DLL, the process's context is the host's,
    // which usually binds the common controls to version 5: the library's
    // windows get version 6 only while this context is active on the thread.
    // Null when the module has no manifest or the context cannot be made; the
    // controls then work with whatever version the process has.
    HANDLE ActivationContext();

private:
    TActivationContext context_;
    bool contextTried_ = false;
};

extern TApplication Application;

}  // namespace ui

namespace ui {

// Activates the application's activation context and registers the common
// control classes under it, for the creation of a form's controls; a form
// keeps one as its first member and ends it at the end of its constructor.
class TCreationScope {
public:
    TCreationScope();
    void End() { scope_.End(); }

private:
    TActivationScope scope_;
};

}  // namespace ui
