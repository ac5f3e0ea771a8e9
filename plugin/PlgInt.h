// The contract between the host image editor and this plug-in.
//
// The plug-in owns three blocks of static memory and hands their addresses to
// the host, which may keep them for as long as the library is loaded:
//   - LanguageBuffer (72 bytes): the host writes a language code as text;
//     only its first two bytes are read.
//   - TPluginHeader (712 bytes): the plug-in writes its name, version, kind,
//     copyright, description and capability flags; the host reads them.
//   - TPluginStruct (216 bytes): the host writes its window, the current
//     image's rectangle, the visual-style switch and three callbacks. The
//     plug-in reads those six fields, at the moment it needs them, and never
//     touches the other bytes, which belong to the host.
// The header's texts are 8-bit Windows-1252, the callbacks' texts 8-bit in
// the system's ANSI code page (CP_ACP), all NUL-terminated; all integers
// 32-bit little-endian; the callbacks are stdcall. Inside the plug-in every
// text is UTF-8: the callbacks' answers are converted on arrival. The layout is that of 32-bit
// Windows and is pinned below field by field.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

static_assert(sizeof(void *) == 4, "the host interface is 32-bit Windows only");

// The object a host receives through ShowFormProc. A host reads the dialog's
// top-level window handle at offset 0 and nothing else; it never frees the
// object. Dialog classes derive from it (first, so a host sees the handle at
// the address it is given) and keep Handle up to date.
struct TPluginForm {
    HWND Handle = nullptr;
};
static_assert(offsetof(TPluginForm, Handle) == 0);

// BOOLs passed to the host: all bits set for true.
inline constexpr int32_t HostTrue = -1;
inline constexpr int32_t HostFalse = 0;

using TShowFormProc = int32_t(__stdcall *)(TPluginForm *dialog, int32_t mode, int32_t firstSwitch,
                                           int32_t secondSwitch);
// Both text callbacks receive a 256-byte buffer and the capacity 255, and
// return a pointer to a NUL-terminated text: their own storage or the buffer.
using TFileNameProc = const char *(__stdcall *)(char *buffer, int32_t capacity);
using TDirectoryProc = const char *(__stdcall *)(char *buffer, int32_t capacity);

inline constexpr size_t LanguageBufferSize = 72;
using TLanguageBuffer = std::array<char, LanguageBufferSize>;

struct TPluginHeader {
    char Name[64];
    char Version[64];
    int32_t Kind;
    char Copyright[64];
    char Description[256];
    uint8_t Reserved[256];  // never written by this plug-in
    uint32_t Flags;
};
static_assert(offsetof(TPluginHeader, Name) == 0);
static_assert(offsetof(TPluginHeader, Version) == 64);
static_assert(offsetof(TPluginHeader, Kind) == 128);
static_assert(offsetof(TPluginHeader, Copyright) == 132);
static_assert(offsetof(TPluginHeader, Description) == 196);
static_assert(offsetof(TPluginHeader, Reserved) == 452);
static_assert(offsetof(TPluginHeader, Flags) == 708);
static_assert(sizeof(TPluginHeader) == 712);

struct TPluginStruct {
    HWND HostWindow;
    uint8_t HostBytes4[24];
    RECT ImageRect;  // Left 28, Top 32, Right 36, Bottom 40
    int32_t VisualStyles;
    uint8_t HostBytes48[44];
    TShowFormProc ShowFormProc;
    uint8_t HostBytes96[16];
    TFileNameProc FileNameProc;
    uint8_t HostBytes116[8];
    TDirectoryProc DirectoryProc;
    uint8_t HostBytes128[88];
};
static_assert(offsetof(TPluginStruct, HostWindow) == 0);
static_assert(offsetof(TPluginStruct, ImageRect) == 28);
static_assert(offsetof(TPluginStruct, ImageRect) + offsetof(RECT, left) == 28);
static_assert(offsetof(TPluginStruct, ImageRect) + offsetof(RECT, top) == 32);
static_assert(offsetof(TPluginStruct, ImageRect) + offsetof(RECT, right) == 36);
static_assert(offsetof(TPluginStruct, ImageRect) + offsetof(RECT, bottom) == 40);
static_assert(offsetof(TPluginStruct, VisualStyles) == 44);
static_assert(offsetof(TPluginStruct, ShowFormProc) == 92);
static_assert(offsetof(TPluginStruct, FileNameProc) == 112);
static_assert(offsetof(TPluginStruct, DirectoryProc) == 124);
static_assert(sizeof(TPluginStruct) == 216);

// The plug-in's kinds and show modes as the host numbers them. Which kind or
// mode means what is the host's business; only the codes are fixed.
enum class TPluginKind : uint8_t { Kind0, Kind1, Kind2, Kind3, Kind4 };
enum class TShowMode : uint8_t { Mode0, Mode1, Mode2 };
inline constexpr std::array<int32_t, 5> PluginKindCodes{0, 1, 2, 3, 4};
inline constexpr std::array<int32_t, 3> ShowModeCodes{0, 1, 2};

// A set of capability members 0 to 14, member n in bit n of a 16-bit word.
// Bit 15 is not a member.
using TPluginFlags = uint16_t;
constexpr TPluginFlags PluginFlag(unsigned member) {
    return static_cast<TPluginFlags>(1u << member);
}
// Members 0-7 become bits 0-7 of the host's Flags, members 8-14 bits 16-22.
constexpr uint32_t TranslatePluginFlags(TPluginFlags set) {
    return (set & 0x00FFu) | (static_cast<uint32_t>(set & 0x7F00u) << 8);
}

// Thrown when the host left a callback that an operation needs at zero, or
// handed over something unusable. Execute turns it into the result 0.
class EHostContract : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The blocks themselves. Their addresses never change while the library is
// loaded.
TLanguageBuffer &LanguageBuffer();
TPluginHeader &PluginHeader();
TPluginStruct &PluginStruct();

// Load-time set-up, from the library entry: remembers the module (for its
// resources and window classes) and zeroes the three blocks.
void InitializePlgInt(HINSTANCE module);
// The library's own module; GetModuleHandle(nullptr) would be the host's EXE.
HINSTANCE PluginModule();

// Byte 0 and byte 1 of LanguageBuffer, whatever they hold.
std::string GetLanguageCode();
// "FR" exactly, case-sensitive; anything else is English.
bool IsFrenchLanguage();

// Text fields: copies up to the text's first NUL or the field's limit (63,
// or 255 for the description), then a NUL. Bytes after that NUL keep what
// they held.
void SetPluginName(std::string_view text);
void SetPluginVersion(std::string_view text);
void SetPluginCopyright(std::string_view text);
void SetPluginDescription(std::string_view text);
void SetPluginKind(TPluginKind kind);
// ORs the translated set into Flags; flags already there stay.
void SetPluginFlags(TPluginFlags set);

HWND GetHostWindow();
// Right - Left and Bottom - Top of the image rectangle, unchecked.
int32_t GetImageWidth();
int32_t GetImageHeight();
// Any non-zero switch value asks for visual styles.
bool UseVisualStyles();
// Calls ShowFormProc(dialog, ShowModeCodes[mode], BOOL, BOOL) and drops its
// result. The host returns once the dialog has closed. Throws EHostContract
// when ShowFormProc is zero or dialog is null.
void ShowFormModal(TPluginForm *dialog, TShowMode mode, bool firstSwitch, bool secondSwitch);
// The current image's full path / a directory for the save dialog, copied at
// once from the pointer the host returns (null gives ""), as UTF-8. A host
// with only ANSI names gives a file whose name its code page cannot spell
// by its short 8.3 name: a name that exists is given as its long name, the
// one the user knows (in the case the disk has it). Throw EHostContract when
// the callback is zero.
std::string GetImageFileName();
std::string GetInitialDirectory();
