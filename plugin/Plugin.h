// The plug-in's exports. Each takes no argument, uses stdcall and returns one
// 32-bit value; the .def file exports them by these undecorated names with
// fixed ordinals.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "plugin/PlgInt.h"

extern "C" {
// 1 when the dialog was shown and closed, 0 when anything failed.
int32_t __stdcall Execute() noexcept;
// A new copy of the "GLYPH" menu bitmap; the host owns and frees it.
HBITMAP __stdcall RegisterPluginGlyph() noexcept;
TPluginStruct *__stdcall RegisterPluginStruct() noexcept;
// Fills the header in the host's language and returns it.
TPluginHeader *__stdcall RegisterPluginHeader() noexcept;
char *__stdcall RegisterPluginLanguage() noexcept;
// The host-interface level this library implements: 2.
int32_t __stdcall RegisterCompatibility() noexcept;
}

// The copyright line written into the header.
inline constexpr const char *PluginCopyrightText = "Copyright (c) 2026 ExifView developers";

// The failure message a run selected by language. No path shows it: a failed
// run returns 0 to the host and nothing else.
const std::string &ExecuteFailureText();
