// The fixture of the dialog tests: one host per test, a run of Execute with a
// driver that finds the dialog's controls by their windows, and the sample
// files.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ByteBuilders.h"
#include "DialogHost.h"
#include "dialog/ParamsRows.h"

// The dialog's windows, found from the top-level window a host receives.
struct Controls {
    HWND form = nullptr, tab = nullptr, exifPage = nullptr, iptcPage = nullptr;
    HWND exifGrid = nullptr, label = nullptr, memo = nullptr;
    HWND iptcGrid = nullptr, edtName = nullptr, memData = nullptr;
    HWND xmpPage = nullptr, xmpGrid = nullptr, xmpName = nullptr, xmpData = nullptr;
    HWND ok = nullptr, exportButton = nullptr;
};

// The single-line and the multi-line edit box of a page.
inline void FindBoxes(HWND page, HWND &line, HWND &multiLine) {
    for (HWND e : drive::Children(page)) {
        if (drive::ClassOf(e) != "Edit") continue;
        (GetWindowLongA(e, GWL_STYLE) & ES_MULTILINE ? multiLine : line) = e;
    }
}

inline Controls FindControls(HWND form) {
    using namespace drive;
    Controls c;
    c.form = form;
    c.tab = Child(form, "SysTabControl32");
    c.ok = Child(form, "Button", "Ok");
    c.exportButton = Child(form, "Button", "Export");
    c.exifPage = Child(c.tab, "ExifViewPage", "EXIF");
    c.iptcPage = Child(c.tab, "ExifViewPage", "IPTC");
    c.exifGrid = Child(c.exifPage, "SysListView32");
    c.label = Child(c.exifPage, "Static");
    c.memo = Child(c.exifPage, "Edit");
    c.iptcGrid = Child(c.iptcPage, "SysListView32");
    FindBoxes(c.iptcPage, c.edtName, c.memData);
    c.xmpPage = Child(c.tab, "ExifViewPage", "XMP");
    c.xmpGrid = Child(c.xmpPage, "SysListView32");
    FindBoxes(c.xmpPage, c.xmpName, c.xmpData);
    return c;
}

// The window with the keyboard focus in the thread of `form`.
inline HWND FocusIn(HWND form) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &info);
    return info.hwndFocus;
}

// Key presses as a keyboard gives them, the modifiers held meanwhile.
inline void PressKeys(std::initializer_list<WORD> held, WORD key) {
    std::vector<INPUT> keys;
    auto add = [&](WORD vk, DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = flags;
        keys.push_back(in);
    };
    for (WORD vk : held) add(vk, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    for (WORD vk : held) add(vk, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

inline std::string WindowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetDialogSize();
        host = std::make_unique<TDialogHost>();
    }

    // The size a user gave the dialog in an earlier run is kept per user:
    // each test starts from the default one.
    static void ForgetDialogSize() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\ExifView", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        RegDeleteValueW(key, L"DialogWidth");
        RegDeleteValueW(key, L"DialogHeight");
        RegCloseKey(key);
    }
    void TearDown() override { host.reset(); }

    // Runs Execute for `file`; `inspect` sees the dialog while it shows.
    // Whatever it leaves open is closed with Ok afterwards.
    template <class F>
    void Show(const std::string &file, F inspect) {
        host->FileName = file;
        result = host->Run([&](HWND form) {
            ASSERT_TRUE(drive::WaitFor([&] { return IsWindowVisible(form) != FALSE; }));
            const Controls c = FindControls(form);
            inspect(c);
            if (IsWindowVisible(form)) PostMessageA(c.ok, BM_CLICK, 0, 0);
        });
        EXPECT_FALSE(host->TimedOut);
        EXPECT_EQ(host->ShowCalls, 1);
    }

    static std::string Sample(const std::string &name) { return WindowsPath(testbytes::SamplePath(name)); }

    static std::pair<std::string, std::string> Row(const std::string &a, const std::string &b) { return {a, b}; }

    // The view model's rows as a grid shows them.
    static std::vector<std::pair<std::string, std::string>> ViewRows(const std::vector<params::GridRow> &rows) {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto &r : rows) out.emplace_back(drive::Shown(r.Name), drive::Shown(r.Value));
        return out;
    }

    static std::string Value(const std::vector<std::pair<std::string, std::string>> &rows, const std::string &name) {
        for (const auto &r : rows)
            if (r.first == name) return r.second;
        return "<no row " + name + ">";
    }

    static std::string FileBytes(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // A JPEG whose EXIF data has a quoted, blank-padded Make, FileSource and
    // SceneType with the given first bytes and, when not empty, a user
    // comment; with `withIptc`, an object name and two keywords; with an
    // XMP packet, that packet.
    static std::string WriteCraftedJpeg(const std::string &name, unsigned fileSource, unsigned sceneType,
                                        const std::string &comment, bool withIptc, const std::string &xmpPacket = {}) {
        using testbytes::Tiff;
        Tiff t;
        std::vector<testbytes::Entry> exifEntries;
        if (!comment.empty())
            exifEntries.push_back(Tiff::Undefined(0x9286, std::string("ASCII\0\0\0", 8) + comment + '\0'));
        exifEntries.push_back(Tiff::Undefined(0xA300, std::string(1, static_cast<char>(fileSource))));
        exifEntries.push_back(Tiff::Undefined(0xA301, std::string(1, static_cast<char>(sceneType))));
        const int exif = t.Dir(exifEntries);
        const int root = t.Dir({Tiff::Ascii(0x010F, "  \"Canon\"  "), Tiff::Pointer(0x8769, exif)});
        testbytes::Jpeg jpeg;
        jpeg.Exif(t.Build(root));
        if (withIptc)
            jpeg.Iptc(testbytes::Dataset(2, 5, "Sunset") + testbytes::Dataset(2, 25, "sea") +
                      testbytes::Dataset(2, 25, "sky"));
        if (!xmpPacket.empty()) jpeg.Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0", 29) + xmpPacket);
        jpeg.Sof0(64, 48);
        return WindowsPath(testbytes::WriteTempFile(name, jpeg.Build()));
    }

    // An XMP packet with a simple property, a bag, a language alternative
    // with a second language, and a two-line value with a character
    // Windows-1252 has no byte for.
    static std::string XmpPacket() {
        return "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
               "<rdf:Description xmlns:xmp='http://ns.adobe.com/xap/1.0/' xmlns:dc='http://purl.org/dc/elements/1.1/'"
               " xmp:Rating='4'><dc:subject><rdf:Bag><rdf:li>sea</rdf:li><rdf:li>sky</rdf:li></rdf:Bag></dc:subject>"
               "<dc:title><rdf:Alt><rdf:li xml:lang='x-default'>Caf\xC3\xA9</rdf:li><rdf:li xml:lang='de'>Kaffee"
               "</rdf:li></rdf:Alt></dc:title><dc:description>one\n\xE6\x97\xA5 two</dc:description>"
               "</rdf:Description></rdf:RDF></x:xmpmeta>";
    }

    // A file written through the W calls under a name (UTF-8) that no ANSI
    // code page spells, in a new folder named likewise under the temporary
    // folder: its paths as UTF-8, and as a host with ANSI names only gives
    // them, the short 8.3 names in the ANSI code page.
    struct UnicodeFile {
        std::string Folder, Path;          // long, UTF-8
        std::string AnsiFolder, AnsiPath;  // short, ANSI
    };
    static UnicodeFile WriteUnicodeNamedFile(const std::string &folder, const std::string &name,
                                             const std::string &bytes) {
        std::wstring dir = drive::Wide(::testing::TempDir());
        if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
        dir += drive::Wide(folder);
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(dir), ignored);  // an earlier run's
        CreateDirectoryW(dir.c_str(), nullptr);
        const std::wstring path = dir + L'\\' + drive::Wide(name);
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) {
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            CloseHandle(file);
        }
        EXPECT_EQ(written, bytes.size());
        return {drive::Utf8(dir), drive::Utf8(path), AnsiShortName(dir), AnsiShortName(path)};
    }

    static std::string AnsiShortName(const std::wstring &path) {
        wchar_t shortName[MAX_PATH] = {};
        const DWORD n = GetShortPathNameW(path.c_str(), shortName, MAX_PATH);
        EXPECT_TRUE(n > 0 && n < MAX_PATH);
        char ansi[MAX_PATH * 2] = {};
        BOOL lossy = FALSE;
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortName, -1, ansi, sizeof ansi, nullptr, &lossy);
        EXPECT_FALSE(lossy) << "no short name the ANSI code page spells";
        return ansi;
    }

    static std::string TabText(HWND tab, int index) {
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        return drive::Utf8(text);
    }

    static bool IsTabShown(const Controls &c, const std::string &caption) {
        const int n = static_cast<int>(SendMessageA(c.tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i)
            if (TabText(c.tab, i) == caption) return true;
        return false;
    }

    static int RowHeight(HWND grid) {
        RECT r{};
        r.left = LVIR_BOUNDS;
        SendMessageA(grid, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
        return r.bottom - r.top;
    }

    static HWND FocusOf(HWND form) { return FocusIn(form); }

    // Dialog windows of this process still in existence.
    static int FormsLeft() {
        int count = 0;
        EnumWindows(CountForm, reinterpret_cast<LPARAM>(&count));
        return count;
    }

    static BOOL CALLBACK CountForm(HWND wnd, LPARAM lp) {
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        if (pid == GetCurrentProcessId() && drive::ClassOf(wnd) == "ExifViewForm") ++*reinterpret_cast<int *>(lp);
        return TRUE;
    }

    std::unique_ptr<TDialogHost> host;
    int32_t result = -1;
};
