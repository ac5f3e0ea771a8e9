// The host operations of PlgInt and the run of Execute, called directly:
// what the rest of the library gets from the host record and how it calls
// the host back.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "exif/TextFormat.h"
#include "plugin/PlgInt.h"
#include "plugin/Plugin.h"

namespace {

class PlgInt : public ::testing::Test {
protected:
    void SetUp() override { InitializePlgInt(nullptr); }
    TPluginStruct &Record() { return PluginStruct(); }
};

// --- the failure text (first: it checks the state before any run) ----------

TEST(ExecuteFailureText, StartsGenericThenFollowsTheLanguageOfEachRun) {
    InitializePlgInt(nullptr);
    EXPECT_EQ(ExecuteFailureText(),
              "Erreur pendant l'ex\xE9"
              "cution du module !");
    std::memcpy(LanguageBuffer().data(), "FR", 2);
    EXPECT_EQ(Execute(), 0);
    EXPECT_EQ(ExecuteFailureText(),
              "Impossible d'ex\xE9"
              "cuter le module !");
    std::memcpy(LanguageBuffer().data(), "fr", 2);
    EXPECT_EQ(Execute(), 0);
    EXPECT_EQ(ExecuteFailureText(), "Unable to process the plugin !");
}

// --- image rectangle, switches, window ---------------------------------------

TEST_F(PlgInt, ImageSizeIsRightMinusLeftAndBottomMinusTop) {
    Record().ImageRect = RECT{0, 0, 640, 480};
    EXPECT_EQ(GetImageWidth(), 640);
    EXPECT_EQ(GetImageHeight(), 480);
    Record().ImageRect = RECT{10, 20, 110, 70};
    EXPECT_EQ(GetImageWidth(), 100);
    EXPECT_EQ(GetImageHeight(), 50);
    // Taken as the host gives it: no check that Right >= Left.
    Record().ImageRect = RECT{100, 50, 40, 0};
    EXPECT_EQ(GetImageWidth(), -60);
    EXPECT_EQ(GetImageHeight(), -50);
    // Extreme corners wrap instead of overflowing.
    Record().ImageRect = RECT{-2147483647 - 1, 0, 2147483647, 1};
    EXPECT_EQ(GetImageWidth(), -1);
}

TEST_F(PlgInt, AnyNonZeroSwitchAsksForVisualStyles) {
    EXPECT_FALSE(UseVisualStyles());
    for (const int32_t value : {1, -1, 0x100, 0x10000, -2147483647 - 1}) {
        Record().VisualStyles = value;
        EXPECT_TRUE(UseVisualStyles()) << value;
    }
    Record().VisualStyles = 0;
    EXPECT_FALSE(UseVisualStyles());
}

TEST_F(PlgInt, HostWindowIsReadAtEachCall) {
    EXPECT_EQ(GetHostWindow(), nullptr);
    Record().HostWindow = reinterpret_cast<HWND>(0x12340);
    EXPECT_EQ(GetHostWindow(), reinterpret_cast<HWND>(0x12340));
    Record().HostWindow = GetDesktopWindow();
    EXPECT_EQ(GetHostWindow(), GetDesktopWindow());
}

// --- text callbacks ------------------------------------------------------------

struct TTextCall {
    int Calls = 0;
    char *Buffer = nullptr;
    int32_t Capacity = 0;
};
TTextCall textCall;
std::string hostText;

const char *__stdcall AnswerFromHostStorage(char *buffer, int32_t capacity) {
    ++textCall.Calls;
    textCall.Buffer = buffer;
    textCall.Capacity = capacity;
    // The plug-in lends 256 writable bytes.
    std::memset(buffer, '#', 256);
    return hostText.c_str();
}

const char *__stdcall AnswerInTheBuffer(char *buffer, int32_t capacity) {
    ++textCall.Calls;
    textCall.Buffer = buffer;
    textCall.Capacity = capacity;
    std::memset(buffer, 0, 256);
    std::memcpy(buffer, hostText.data(), hostText.size());
    return buffer;
}

const char *__stdcall AnswerInsideTheBuffer(char *buffer, int32_t) {
    ++textCall.Calls;
    std::strcpy(buffer, "C:\\dir\\name.jpg");
    return buffer + 7;
}

const char *__stdcall FillTheWholeBufferUnterminated(char *buffer, int32_t) {
    ++textCall.Calls;
    std::memset(buffer, 'A', 256);
    return buffer;
}

const char *__stdcall AnswerNull(char *, int32_t) {
    ++textCall.Calls;
    return nullptr;
}

// Both text operations follow one rule; each case runs for both.
struct TTextOperation {
    const char *Name;
    std::string (*Get)();
    TFileNameProc TPluginStruct::*Field;
};
void PrintTo(const TTextOperation &operation, std::ostream *out) {
    *out << operation.Name;
}
const TTextOperation TextOperations[] = {
    {"GetImageFileName", GetImageFileName, &TPluginStruct::FileNameProc},
    {"GetInitialDirectory", GetInitialDirectory, &TPluginStruct::DirectoryProc},
};

class PlgIntText : public PlgInt, public ::testing::WithParamInterface<TTextOperation> {
protected:
    void SetUp() override {
        PlgInt::SetUp();
        textCall = {};
    }
    std::string Call(TFileNameProc callback) {
        Record().*(GetParam().Field) = callback;
        return GetParam().Get();
    }
};

TEST_P(PlgIntText, CopiesFromHostStorageLongerThanTheBuffer) {
    hostText = "Z:\\" + std::string(300, 'p') + "\\image.jpg";
    EXPECT_EQ(Call(AnswerFromHostStorage), hostText);
    EXPECT_EQ(textCall.Calls, 1);
    EXPECT_NE(textCall.Buffer, nullptr);
    EXPECT_EQ(textCall.Capacity, 255);
}

TEST_P(PlgIntText, CopiesFromTheLentBufferAndGivesItsAnsiTextAsUtf8) {
    // The longest text the capacity allows.
    hostText = std::string("C:\\Images\\") + std::string(245, 'x');
    ASSERT_EQ(hostText.size(), 255u);
    EXPECT_EQ(Call(AnswerInTheBuffer), hostText);
    hostText = "C:\\short.jpg";
    EXPECT_EQ(Call(AnswerInTheBuffer), hostText);
    EXPECT_EQ(textCall.Capacity, 255);
    // The host's text is in the ANSI code page; the plug-in's is UTF-8.
    if (GetACP() == 1252) {
        hostText = "C:\\Images\\caf\xE9.jpg";
        EXPECT_EQ(Call(AnswerInTheBuffer), "C:\\Images\\caf\xC3\xA9.jpg");
    }
}

TEST_P(PlgIntText, CopiesFromAPointerInsideTheBuffer) {
    EXPECT_EQ(Call(AnswerInsideTheBuffer), "name.jpg");
}

TEST_P(PlgIntText, NeverReadsPastTheLentBuffer) {
    EXPECT_EQ(Call(FillTheWholeBufferUnterminated), std::string(255, 'A'));
}

TEST_P(PlgIntText, NullAnswerGivesAnEmptyText) {
    EXPECT_EQ(Call(AnswerNull), "");
    EXPECT_EQ(textCall.Calls, 1);
}

TEST_P(PlgIntText, MissingCallbackIsAFailure) {
    EXPECT_THROW(Call(nullptr), EHostContract);
    EXPECT_THROW(Call(nullptr), std::exception);
}

TEST_P(PlgIntText, AskedAgainAtEveryCall) {
    hostText = "first";
    EXPECT_EQ(Call(AnswerFromHostStorage), "first");
    hostText = "second";
    EXPECT_EQ(GetParam().Get(), "second");
    EXPECT_EQ(textCall.Calls, 2);
}

INSTANTIATE_TEST_SUITE_P(Operations, PlgIntText, ::testing::ValuesIn(TextOperations),
                         [](const auto &param) { return std::string(param.param.Name); });

// --- the show callback -----------------------------------------------------------

struct TShowCall {
    int Calls = 0;
    TPluginForm *Dialog = nullptr;
    int32_t Mode = -99, First = -99, Second = -99;
    HWND Handle = nullptr;
};
TShowCall showCall;

int32_t __stdcall RecordShow(TPluginForm *dialog, int32_t mode, int32_t first, int32_t second) {
    ++showCall.Calls;
    showCall.Dialog = dialog;
    showCall.Mode = mode;
    showCall.First = first;
    showCall.Second = second;
    showCall.Handle = dialog != nullptr ? dialog->Handle : nullptr;
    return 12345;  // dropped
}

class PlgIntShow : public PlgInt {
protected:
    void SetUp() override {
        PlgInt::SetUp();
        showCall = {};
        Record().ShowFormProc = RecordShow;
    }
};

TEST_F(PlgIntShow, PassesTheDialogTheModeCodeAndBoolsAsMinusOneOrZero) {
    TPluginForm form;
    form.Handle = reinterpret_cast<HWND>(0xABC0);
    ShowFormModal(&form, TShowMode::Mode0, true, true);
    EXPECT_EQ(showCall.Calls, 1);
    EXPECT_EQ(showCall.Dialog, &form);
    EXPECT_EQ(showCall.Mode, 0);
    EXPECT_EQ(showCall.First, -1);
    EXPECT_EQ(showCall.Second, -1);

    const struct {
        TShowMode Mode;
        bool First, Second;
    } cases[] = {{TShowMode::Mode1, false, true}, {TShowMode::Mode2, true, false}, {TShowMode::Mode0, false, false}};
    for (const auto &c : cases) {
        ShowFormModal(&form, c.Mode, c.First, c.Second);
        EXPECT_EQ(showCall.Mode, ShowModeCodes[static_cast<size_t>(c.Mode)]);
        EXPECT_EQ(showCall.First, c.First ? -1 : 0);
        EXPECT_EQ(showCall.Second, c.Second ? -1 : 0);
    }
    EXPECT_EQ(showCall.Calls, 4);
}

// A dialog class with virtual functions: its vtable pointer comes first, yet
// the host must still find the window handle at the address it receives.
class TPolymorphicForm : public TPluginForm {
public:
    virtual ~TPolymorphicForm() = default;
    virtual int Kind() const { return 1; }
    int Other = 7;
};

TEST_F(PlgIntShow, HostFindsTheWindowHandleAtTheAddressItGets) {
    TPolymorphicForm form;
    form.Handle = reinterpret_cast<HWND>(0x5550);
    ShowFormModal(&form, TShowMode::Mode0, true, true);
    ASSERT_NE(showCall.Dialog, nullptr);
    HWND atOffsetZero = nullptr;
    std::memcpy(&atOffsetZero, showCall.Dialog, sizeof atOffsetZero);
    EXPECT_EQ(atOffsetZero, reinterpret_cast<HWND>(0x5550));
    EXPECT_EQ(showCall.Handle, reinterpret_cast<HWND>(0x5550));
}

TEST_F(PlgIntShow, MissingCallbackOrDialogIsAFailure) {
    TPluginForm form;
    EXPECT_THROW(ShowFormModal(nullptr, TShowMode::Mode0, true, true), EHostContract);
    EXPECT_EQ(showCall.Calls, 0);
    Record().ShowFormProc = nullptr;
    EXPECT_THROW(ShowFormModal(&form, TShowMode::Mode0, true, true), EHostContract);
}

TEST(PluginCodes, KindAndShowModeTablesCountFromZero) {
    ASSERT_EQ(PluginKindCodes.size(), 5u);
    ASSERT_EQ(ShowModeCodes.size(), 3u);
    InitializePlgInt(nullptr);
    const TPluginKind kinds[] = {TPluginKind::Kind0, TPluginKind::Kind1, TPluginKind::Kind2, TPluginKind::Kind3,
                                 TPluginKind::Kind4};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(PluginKindCodes[i], static_cast<int32_t>(i));
        SetPluginKind(kinds[i]);
        EXPECT_EQ(PluginHeader().Kind, static_cast<int32_t>(i));
    }
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(ShowModeCodes[i], static_cast<int32_t>(i));
}

// --- flags -----------------------------------------------------------------------

TEST(PluginFlags, MembersUpToSevenKeepTheirBitAndTheRestMoveUpByEight) {
    for (unsigned member = 0; member < 15; ++member) {
        const uint32_t bit = member < 8 ? member : member + 8;
        EXPECT_EQ(TranslatePluginFlags(PluginFlag(member)), 1u << bit) << "member " << member;
    }
    EXPECT_EQ(TranslatePluginFlags(0x8000), 0u);
    EXPECT_EQ(TranslatePluginFlags(0xFFFF), 0x007F00FFu);
    EXPECT_EQ(TranslatePluginFlags(0x4040), 4194368u);
}

TEST(PluginFlags, SetPluginFlagsOrsIntoWhatIsThere) {
    InitializePlgInt(nullptr);
    PluginHeader().Flags = 0x80000100u;
    SetPluginFlags(PluginFlag(0));
    EXPECT_EQ(PluginHeader().Flags, 0x80000101u);
    SetPluginFlags(PluginFlag(6) | PluginFlag(14));
    EXPECT_EQ(PluginHeader().Flags, 0x80000101u | 4194368u);
    SetPluginFlags(0);
    EXPECT_EQ(PluginHeader().Flags, 0x80000101u | 4194368u);
}

// --- header text fields -------------------------------------------------------------

struct TTextField {
    const char *Name;
    void (*Set)(std::string_view);
    size_t Offset;
    size_t Size;
};
void PrintTo(const TTextField &field, std::ostream *out) {
    *out << field.Name;
}
const TTextField TextFields[] = {
    {"Name", SetPluginName, offsetof(TPluginHeader, Name), 64},
    {"Version", SetPluginVersion, offsetof(TPluginHeader, Version), 64},
    {"Copyright", SetPluginCopyright, offsetof(TPluginHeader, Copyright), 64},
    {"Description", SetPluginDescription, offsetof(TPluginHeader, Description), 256},
};

class HeaderField : public ::testing::TestWithParam<TTextField> {
protected:
    void SetUp() override {
        InitializePlgInt(nullptr);
        std::memset(&PluginHeader(), 0x55, sizeof(TPluginHeader));
    }
    std::string Bytes() const {
        return std::string(reinterpret_cast<const char *>(&PluginHeader()) + GetParam().Offset, GetParam().Size);
    }
    // Everything outside this field, to check that a copy stays inside it.
    std::string Outside() const {
        const auto *all = reinterpret_cast<const char *>(&PluginHeader());
        return std::string(all, GetParam().Offset) +
               std::string(all + GetParam().Offset + GetParam().Size,
                           sizeof(TPluginHeader) - GetParam().Offset - GetParam().Size);
    }
};

TEST_P(HeaderField, ShortTextEndsWithANulAndLeavesTheRestAsItWas) {
    GetParam().Set("abc");
    EXPECT_EQ(Bytes(), std::string("abc") + '\0' + std::string(GetParam().Size - 4, '\x55'));
    EXPECT_EQ(Outside(), std::string(sizeof(TPluginHeader) - GetParam().Size, '\x55'));
}

TEST_P(HeaderField, LongTextIsCutAtTheLimit) {
    const size_t limit = GetParam().Size - 1;
    for (const size_t length : {limit - 1, limit, limit + 1, limit + 100}) {
        std::string text;
        for (size_t i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
        GetParam().Set(text);
        const size_t kept = length < limit ? length : limit;
        EXPECT_EQ(Bytes().substr(0, kept + 1), text.substr(0, kept) + '\0') << length;
        EXPECT_EQ(Outside(), std::string(sizeof(TPluginHeader) - GetParam().Size, '\x55')) << length;
    }
}

TEST_P(HeaderField, CopyStopsAtTheSourcesFirstNul) {
    GetParam().Set(std::string_view("AB\0CD", 5));
    EXPECT_EQ(Bytes(), std::string("AB") + '\0' + std::string(GetParam().Size - 3, '\x55'));
}

TEST_P(HeaderField, EmptyTextWritesOnlyANul) {
    GetParam().Set("");
    EXPECT_EQ(Bytes(), std::string(1, '\0') + std::string(GetParam().Size - 1, '\x55'));
}

INSTANTIATE_TEST_SUITE_P(Fields, HeaderField, ::testing::ValuesIn(TextFields),
                         [](const auto &param) { return std::string(param.param.Name); });

// --- the language code ------------------------------------------------------------------

TEST(LanguageCode, IsTheFirstTwoBytesWhateverTheyHold) {
    InitializePlgInt(nullptr);
    EXPECT_EQ(GetLanguageCode(), std::string(2, '\0'));
    EXPECT_FALSE(IsFrenchLanguage());
    std::memcpy(LanguageBuffer().data(), "FRA", 3);
    EXPECT_EQ(GetLanguageCode(), "FR");
    EXPECT_TRUE(IsFrenchLanguage());
    std::memcpy(LanguageBuffer().data(), "F\0R", 3);
    EXPECT_EQ(GetLanguageCode(), std::string("F\0", 2));
    EXPECT_FALSE(IsFrenchLanguage());
    std::memcpy(LanguageBuffer().data(), "fR", 2);
    EXPECT_FALSE(IsFrenchLanguage());
}

// --- Execute ----------------------------------------------------------------------------

int fileNameCalls = 0;
int nestedResult = -1;

const char *__stdcall PlainFileName(char *, int32_t) {
    ++fileNameCalls;
    return "C:\\missing\\image.jpg";
}

// A host that, against the contract, runs the plug-in again from inside a
// callback of the current run.
const char *__stdcall ReenteringFileName(char *, int32_t) {
    ++fileNameCalls;
    nestedResult = Execute();
    return "C:\\missing\\image.jpg";
}

int32_t __stdcall CloseAtOnce(TPluginForm *, int32_t, int32_t, int32_t) {
    return 0;
}

class ExecuteRun : public PlgInt {
protected:
    void SetUp() override {
        PlgInt::SetUp();
        fileNameCalls = 0;
        nestedResult = -1;
        Record().ImageRect = RECT{0, 0, 64, 48};
        Record().ShowFormProc = CloseAtOnce;
        Record().FileNameProc = PlainFileName;
        Record().DirectoryProc = nullptr;
    }
};

TEST_F(ExecuteRun, SucceedsWithTheCallbacksItNeeds) {
    EXPECT_EQ(Execute(), 1);
    EXPECT_EQ(fileNameCalls, 1);
}

TEST_F(ExecuteRun, AZeroFileNameCallbackGivesZero) {
    Record().FileNameProc = nullptr;
    EXPECT_EQ(Execute(), 0);
}

TEST_F(ExecuteRun, ANestedRunIsRefusedAndTheOuterOneCompletes) {
    Record().FileNameProc = ReenteringFileName;
    EXPECT_EQ(Execute(), 1);
    EXPECT_EQ(nestedResult, 0);
    EXPECT_EQ(fileNameCalls, 1);
    // The refusal does not outlive the run.
    Record().FileNameProc = PlainFileName;
    EXPECT_EQ(Execute(), 1);
}

// Numbers follow the user's regional settings, read at each run. Under wine
// the separator is "." unless the process runs with LC_ALL=fr_FR.UTF-8; the
// test run names the separator it expects in EXIFVIEW_EXPECTED_DECIMAL.
TEST_F(ExecuteRun, TakesTheDecimalSeparatorFromTheRegionalSettings) {
    char regional[8] = {};
    ASSERT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, regional, sizeof regional), 1);
    if (const char *expected = std::getenv("EXIFVIEW_EXPECTED_DECIMAL")) {
        EXPECT_EQ(regional[0], expected[0]);
    }
    exif::SetDecimalSeparator('#');
    EXPECT_EQ(Execute(), 1);
    EXPECT_EQ(exif::DecimalSeparator(), std::string(1, regional[0]));
    EXPECT_EQ(exif::FixedText(1.5, 1), std::string("1") + regional[0] + "5");
}

}  // namespace
