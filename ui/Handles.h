// Owner types for the Windows handles the user-interface layer creates: each
// releases its handle with the one function that matches how it was obtained,
// on every path out of the scope that made it.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <utility>

namespace ui {

// A GDI object made with a Create* function (font, brush, pen, bitmap).
template <class THandle>
class TGdiObject {
public:
    TGdiObject() = default;
    explicit TGdiObject(THandle h) : h_(h) {}
    TGdiObject(const TGdiObject &) = delete;
    TGdiObject &operator=(const TGdiObject &) = delete;
    TGdiObject(TGdiObject &&o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    TGdiObject &operator=(TGdiObject &&o) noexcept {
        if (this != &o) Reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    ~TGdiObject() { Reset(); }
    void Reset(THandle h = nullptr) {
        if (h_) DeleteObject(h_);
        h_ = h;
    }
    THandle Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    THandle h_ = nullptr;
};

using TFontHandle = TGdiObject<HFONT>;
using TBrushHandle = TGdiObject<HBRUSH>;
using TBitmapHandle = TGdiObject<HBITMAP>;

// A memory DC from CreateCompatibleDC, freed with DeleteDC.
class TMemoryDC {
public:
    explicit TMemoryDC(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    TMemoryDC(const TMemoryDC &) = delete;
    TMemoryDC &operator=(const TMemoryDC &) = delete;
    ~TMemoryDC() {
        if (dc_) DeleteDC(dc_);
    }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

// A DC obtained for a window and given back with ReleaseDC to the same
// window: GetDC gives the client area's (the screen's, for a null window),
// GetWindowDC the whole window's, frame included.
template <HDC(WINAPI *Obtain)(HWND)>
class TReleasedDC {
public:
    explicit TReleasedDC(HWND wnd) : wnd_(wnd), dc_(Obtain(wnd)) {}
    TReleasedDC(const TReleasedDC &) = delete;
    TReleasedDC &operator=(const TReleasedDC &) = delete;
    ~TReleasedDC() {
        if (dc_) ReleaseDC(wnd_, dc_);
    }
    HDC Get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

using TWindowDC = TReleasedDC<GetDC>;
using TWholeWindowDC = TReleasedDC<GetWindowDC>;

// BeginPaint/EndPaint for one WM_PAINT.
class TPaintDC {
public:
    explicit TPaintDC(HWND wnd) : wnd_(wnd) { dc_ = BeginPaint(wnd, &ps_); }
    TPaintDC(const TPaintDC &) = delete;
    TPaintDC &operator=(const TPaintDC &) = delete;
    ~TPaintDC() { EndPaint(wnd_, &ps_); }
    HDC Get() const { return dc_; }
    const PAINTSTRUCT &Info() const { return ps_; }

private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// Selects an object into a DC and puts the previous one back: a DC must not
// be released or deleted, nor the object deleted, while it is selected.
class TSelectObject {
public:
    TSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    TSelectObject(const TSelectObject &) = delete;
    TSelectObject &operator=(const TSelectObject &) = delete;
    ~TSelectObject() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// An activation context from CreateActCtx, released with ReleaseActCtx.
class TActivationContext {
public:
    TActivationContext() = default;
    explicit TActivationContext(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    TActivationContext(const TActivationContext &) = delete;
    TActivationContext &operator=(const TActivationContext &) = delete;
    ~TActivationContext() { Reset(); }
    void Reset(HANDLE h = nullptr) {
        if (h_) ReleaseActCtx(h_);
        h_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
    }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_ = nullptr;
};

// Keeps an activation context active on this thread for the scope's life, so
// that windows created meanwhile bind to the classes of its assemblies
// (comctl32 version 6). A null context makes the scope do nothing.
class TActivationScope {
public:
    explicit TActivationScope(HANDLE context) {
        if (context && !ActivateActCtx(context, &cookie_)) cookie_ = 0;
    }
    TActivationScope(const TActivationScope &) = delete;
    TActivationScope &operator=(const TActivationScope &) = delete;
    ~TActivationScope() { End(); }
    // Deactivates early; scopes must still end in the reverse order of their
    // start.
    void End() {
        if (cookie_) DeactivateActCtx(0, cookie_);
        cookie_ = 0;
    }

private:
    ULONG_PTR cookie_ = 0;
};

// A registry key from RegOpenKeyEx or RegCreateKeyEx, closed with RegCloseKey.
class TRegKey {
public:
    TRegKey() = default;
    TRegKey(const TRegKey &) = delete;
    TRegKey &operator=(const TRegKey &) = delete;
    ~TRegKey() {
        if (h_) RegCloseKey(h_);
    }
    HKEY Get() const { return h_; }
    // Where RegOpenKeyEx and RegCreateKeyEx put the key.
    HKEY *Receive() { return &h_; }

private:
    HKEY h_ = nullptr;
};

// A menu from CreatePopupMenu, destroyed with DestroyMenu.
class TMenuHandle {
public:
    TMenuHandle() : h_(CreatePopupMenu()) {}
    TMenuHandle(const TMenuHandle &) = delete;
    TMenuHandle &operator=(const TMenuHandle &) = delete;
    ~TMenuHandle() {
        if (h_) DestroyMenu(h_);
    }
    HMENU Get() const { return h_; }

private:
    HMENU h_;
};

// Memory from GlobalAlloc, freed unless given away (to the clipboard, which
// then owns it).
class TGlobalMemory {
public:
    TGlobalMemory(UINT flags, SIZE_T bytes) : h_(GlobalAlloc(flags, bytes)) {}
    TGlobalMemory(const TGlobalMemory &) = delete;
    TGlobalMemory &operator=(const TGlobalMemory &) = delete;
    ~TGlobalMemory() {
        if (h_) GlobalFree(h_);
    }
    HGLOBAL Get() const { return h_; }
    HGLOBAL Release() { return std::exchange(h_, nullptr); }

private:
    HGLOBAL h_;
};

// The clipboard, open for the scope's life.
class TClipboardScope {
public:
    explicit TClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    TClipboardScope(const TClipboardScope &) = delete;
    TClipboardScope &operator=(const TClipboardScope &) = delete;
    ~TClipboardScope() {
        if (open_) CloseClipboard();
    }
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

// One reference to a COM object, released at the scope's end.
template <class T>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(const TComPtr &) = delete;
    TComPtr &operator=(const TComPtr &) = delete;
    ~TComPtr() {
        if (p_) p_->Release();
    }
    T *Get() const { return p_; }
    T *operator->() const { return p_; }
    // Where a creating call puts the new reference.
    T **Receive() { return &p_; }
    void **ReceiveVoid() { return reinterpret_cast<void **>(&p_); }

private:
    T *p_ = nullptr;
};

// COM on this thread for the scope's life, when the thread had it not yet
// (a thread that has it in another model keeps it; the scope then ends
// nothing).
class TComScope {
public:
    TComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    TComScope(const TComScope &) = delete;
    TComScope &operator=(const TComScope &) = delete;
    ~TComScope() {
        if (initialised_) CoUninitialize();
    }

private:
    bool initialised_;
};

// Runs a clean-up when the scope ends, whichever way it ends.
template <class F>
class TScopeExit {
public:
    explicit TScopeExit(F f) : f_(std::move(f)) {}
    TScopeExit(const TScopeExit &) = delete;
    TScopeExit &operator=(const TScopeExit &) = delete;
    ~TScopeExit() { f_(); }

private:
    F f_;
};

}  // namespace ui
