// Names for screen readers. The platform names a control by its label or its
// window text; a grid, whose text is its rows, and a box whose label reads
// otherwise get their name here: the control answers WM_GETOBJECT with the
// platform's own accessible object for it, wrapped so that only its name
// differs.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

// The answer to WM_GETOBJECT (`wp` as it came) for the client area of
// `wnd`, named `name`; 0 when none can be made (the caller then lets the
// platform answer).
LRESULT NamedAccessibleObject(HWND wnd, WPARAM wp, const std::wstring &name);

}  // namespace ui
