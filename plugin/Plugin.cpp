#include "plugin/Plugin.h"

#include <memory>

#include "dialog/ParamsForm.h"
#include "exif/TextFormat.h"
#include "themes/ThemeMgr.h"
#include "themes/ThemeSrv.h"
#include "ui/Application.h"
#include "ui/WideText.h"
#include "ui/Handles.h"

namespace {

// The header texts. Both descriptions break into two lines at the carriage
// return; "é" is the Windows-1252 byte 0xE9.
constexpr std::string_view EnglishName = "EXIF information...";
constexpr std::string_view FrenchName = "Informations EXIF/IPTC...";
constexpr std::string_view EnglishDescription = "Show EXIF/IPTC information\r(Based on library ExifData / Varnecke)";
constexpr std::string_view FrenchDescription =
    "Affiche les informations EXIF/IPTC\r(Bas\xE9"
    " sur la librairie ExifData / Varnecke)";
constexpr std::string_view PluginVersionText = "2.0";
// Capability members 6 and 14: the word 0x4040, Flags bits 6 and 22.
constexpr TPluginFlags PluginCapabilities = PluginFlag(6) | PluginFlag(14);

std::string failureText =
    "Erreur pendant l'ex\xE9"
    "cution du module !";

// A host that calls Execute again from inside one of its callbacks would have
// two runs share the library-wide dialog reference; the nested call is
// refused instead.
bool executeRunning = false;

class TRunningFlag {
public:
    TRunningFlag() { executeRunning = true; }
    ~TRunningFlag() { executeRunning = false; }
    TRunningFlag(const TRunningFlag &) = delete;
    TRunningFlag &operator=(const TRunningFlag &) = delete;
};

void SelectFailureText() {
    failureText = IsFrenchLanguage() ? "Impossible d'ex\xE9"
                                       "cuter le module !"
                                     : "Unable to process the plugin !";
}

// Numbers in the dialog follow the user's regional settings, read at every
// run so that a change takes effect without reloading the plug-in.
void UseRegionalDecimalSeparator() {
    wchar_t separator[8] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    if (length > 1) exif::SetDecimalSeparator(ui::Utf8(std::wstring_view(separator, static_cast<size_t>(length - 1))));
}

// One run, inside Execute's protected region. Anything it throws makes the
// run fail with 0. What it creates must be freed on every path out of it.
int32_t RunExecute() {
    UseRegionalDecimalSeparator();
    ui::Application.Handle = GetHostWindow();
    // The visual-style services, made on first use, watch the host's window
    // for theme changes while the run lasts, and go with it: between runs
    // the host's window runs no procedure of the library (one that another
    // procedure had been set in front of could not be taken out of its
    // chain when the library unloads), and each run reads the theme state
    // and the host's window anew. Declared first, so freed last.
    const ui::TScopeExit freeServices([] { FreeSharedThemeServices(); });
    // The library's common-controls context stays active on this thread while
    // the dialog is created and while the host shows it.
    const ui::TActivationScope activation(ui::Application.ActivationContext());
    const TParamsHost host{GetImageWidth, GetImageHeight, GetImageFileName, GetInitialDirectory};
    const auto dialog = std::make_unique<TParamsForm>(ui::Application, host);
    ParamsForm = dialog.get();
    // Declared after the dialog, so freed before it on every path.
    std::unique_ptr<TThemeManager> manager;
    if (UseVisualStyles()) {
        manager = std::make_unique<TThemeManager>(ui::Application);
        manager->TakeOverForm(*dialog);
    }
    const std::string fileName = GetImageFileName();
    dialog->FillGrids(fileName);
    // A host sees the dialog's window handle in the first four bytes of the
    // object it receives.
    auto *form = reinterpret_cast<TPluginForm *>(dialog.get());
    if (form->Handle != dialog->Handle) throw EHostContract("dialog handle not at offset 0");
    ShowFormModal(form, TShowMode::Mode0, true, true);
    return 1;
}

}  // namespace

const std::string &ExecuteFailureText() {
    return failureText;
}

extern "C" {

int32_t __stdcall Execute() noexcept {
    try {
        if (executeRunning) return 0;
        const TRunningFlag running;
        SelectFailureText();
        return RunExecute();
    } catch (...) {
        return 0;
    }
}

HBITMAP __stdcall RegisterPluginGlyph() noexcept {
    try {
        return LoadBitmapA(PluginModule(), "GLYPH");
    } catch (...) {
        return nullptr;
    }
}

TPluginStruct *__stdcall RegisterPluginStruct() noexcept {
    return &PluginStruct();
}

TPluginHeader *__stdcall RegisterPluginHeader() noexcept {
    try {
        SetPluginKind(TPluginKind::Kind4);
        SetPluginFlags(PluginCapabilities);
        SetPluginCopyright(PluginCopyrightText);
        SetPluginVersion(PluginVersionText);
        const bool french = IsFrenchLanguage();
        SetPluginName(french ? FrenchName : EnglishName);
        SetPluginDescription(french ? FrenchDescription : EnglishDescription);
    } catch (...) {
        // Only the header's address goes back to the host, whatever happened.
    }
    return &PluginHeader();
}

char *__stdcall RegisterPluginLanguage() noexcept {
    return LanguageBuffer().data();
}

int32_t __stdcall RegisterCompatibility() noexcept {
    return 2;
}

}  // extern "C"
