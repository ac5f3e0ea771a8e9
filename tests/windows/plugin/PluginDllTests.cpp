// The real PlgExif.dll driven as a host drives it: loaded with LoadLibrary,
// exports found by name and by ordinal, the shared blocks read byte by byte.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/PlgInt.h"

namespace {

using TIntExport = int32_t(__stdcall *)();
using TPointerExport = void *(__stdcall *)();

constexpr std::string_view EnglishName = "EXIF information...";
constexpr std::string_view FrenchName = "Informations EXIF/IPTC...";
constexpr std::string_view EnglishDescription = "Show EXIF/IPTC information\r(Based on library ExifData / Varnecke)";
constexpr std::string_view FrenchDescription =
    "Affiche les informations EXIF/IPTC\r(Bas\xE9"
    " sur la librairie ExifData / Varnecke)";

struct TExportName {
    const char *Name;
    WORD Ordinal;
};
constexpr TExportName Exports[] = {
    {"Execute", 1},
    {"RegisterPluginGlyph", 2},
    {"RegisterPluginStruct", 3},
    {"RegisterPluginHeader", 4},
    {"RegisterPluginLanguage", 5},
    {"RegisterCompatibility", 6},
};

// What the fake host's callbacks saw.
struct THostLog {
    int Calls = 0;
    char *Buffer = nullptr;
    int32_t Capacity = 0;
};
THostLog fileNameLog;
std::string hostFileName;

const char *__stdcall FileNameFromHostStorage(char *buffer, int32_t capacity) {
    ++fileNameLog.Calls;
    fileNameLog.Buffer = buffer;
    fileNameLog.Capacity = capacity;
    return hostFileName.c_str();
}

const char *__stdcall FileNameIntoBuffer(char *buffer, int32_t capacity) {
    ++fileNameLog.Calls;
    fileNameLog.Buffer = buffer;
    fileNameLog.Capacity = capacity;
    std::strcpy(buffer, "C:\\images\\in-buffer.jpg");
    return buffer;
}

const char *__stdcall NoFileName(char *, int32_t) {
    ++fileNameLog.Calls;
    return nullptr;
}

const char *__stdcall NoDirectory(char *, int32_t) {
    return nullptr;
}

int32_t __stdcall ShowAndCloseAtOnce(TPluginForm *, int32_t, int32_t, int32_t) {
    return 0;
}

template <typename T>
T Resolve(HMODULE module, const char *name) {
    return reinterpret_cast<T>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

class PluginDll : public ::testing::Test {
protected:
    void SetUp() override {
        Load();
        fileNameLog = {};
        hostFileName = "C:\\images\\host-storage.jpg";
    }
    void TearDown() override {
        if (module != nullptr) FreeLibrary(module);
    }

    void Load() {
        module = LoadLibraryA(PLGEXIF_DLL);
        ASSERT_NE(module, nullptr) << "LoadLibrary failed with error " << GetLastError();
        execute = Resolve<TIntExport>(module, "Execute");
        glyph = Resolve<TPointerExport>(module, "RegisterPluginGlyph");
        registerStruct = Resolve<TPointerExport>(module, "RegisterPluginStruct");
        registerHeader = Resolve<TPointerExport>(module, "RegisterPluginHeader");
        registerLanguage = Resolve<TPointerExport>(module, "RegisterPluginLanguage");
        compatibility = Resolve<TIntExport>(module, "RegisterCompatibility");
        ASSERT_TRUE(execute && glyph && registerStruct && registerHeader && registerLanguage && compatibility);
    }
    void Reload() {
        FreeLibrary(module);
        module = nullptr;
        Load();
    }

    char *Language() { return static_cast<char *>(registerLanguage()); }
    TPluginStruct &Record() { return *static_cast<TPluginStruct *>(registerStruct()); }
    const uint8_t *HeaderBytes() { return static_cast<const uint8_t *>(registerHeader()); }

    void SetLanguage(std::string_view code) {
        std::memset(Language(), 0, LanguageBufferSize);
        std::memcpy(Language(), code.data(), code.size());
    }

    // A host record with every field the plug-in reads.
    void FillRecord(TFileNameProc fileName) {
        TPluginStruct &record = Record();
        record.HostWindow = nullptr;
        record.ImageRect = RECT{0, 0, 640, 480};
        record.VisualStyles = 0;
        record.ShowFormProc = ShowAndCloseAtOnce;
        record.FileNameProc = fileName;
        record.DirectoryProc = NoDirectory;
    }

    static std::string Field(const uint8_t *header, size_t offset, size_t size) {
        return std::string(reinterpret_cast<const char *>(header) + offset, size);
    }
    static std::string Terminated(std::string_view text, size_t size) {
        std::string out(text);
        out.resize(size, '\0');
        return out;
    }
    static int32_t Int32At(const uint8_t *header, size_t offset) {
        int32_t value = 0;
        std::memcpy(&value, header + offset, sizeof value);
        return value;
    }

    HMODULE module = nullptr;
    TIntExport execute = nullptr;
    TPointerExport glyph = nullptr;
    TPointerExport registerStruct = nullptr;
    TPointerExport registerHeader = nullptr;
    TPointerExport registerLanguage = nullptr;
    TIntExport compatibility = nullptr;
};

// --- exports and blocks -----------------------------------------------------

TEST_F(PluginDll, ExportsResolveToTheSameFunctionsByNameAndByOrdinal) {
    for (const auto &entry : Exports) {
        const FARPROC byName = GetProcAddress(module, entry.Name);
        const FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(entry.Ordinal));
        EXPECT_NE(byName, nullptr) << entry.Name;
        EXPECT_EQ(byName, byOrdinal) << entry.Name;
    }
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(7)), nullptr);
    EXPECT_EQ(GetProcAddress(module, "Execute@0"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "_Execute@0"), nullptr);
}

TEST_F(PluginDll, BlockAddressesAreStable) {
    char *language = Language();
    TPluginStruct *record = &Record();
    const uint8_t *header = HeaderBytes();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Language(), language);
        EXPECT_EQ(&Record(), record);
        EXPECT_EQ(HeaderBytes(), header);
        EXPECT_EQ(execute(), 0);
    }
    // Three distinct blocks that do not overlap.
    const auto a = reinterpret_cast<uintptr_t>(language);
    const auto b = reinterpret_cast<uintptr_t>(record);
    const auto c = reinterpret_cast<uintptr_t>(header);
    EXPECT_TRUE(a + LanguageBufferSize <= b || b + sizeof(TPluginStruct) <= a);
    EXPECT_TRUE(a + LanguageBufferSize <= c || c + sizeof(TPluginHeader) <= a);
    EXPECT_TRUE(b + sizeof(TPluginStruct) <= c || c + sizeof(TPluginHeader) <= b);
}

// After a fill from a zeroed header, every byte behind a text's NUL, the
// reserved bytes and the flags hold nothing but what the fill wrote.
void ExpectFilledFromZero(const uint8_t *header) {
    const struct { size_t Offset, Size; } texts[] = {{0, 64}, {64, 64}, {132, 64}, {196, 256}};
    for (const auto &text : texts) {
        const auto *field = header + text.Offset;
        const auto *end = static_cast<const uint8_t *>(std::memchr(field, 0, text.Size));
        ASSERT_NE(end, nullptr) << "field at " << text.Offset << " not terminated";
        for (const uint8_t *p = end; p < field + text.Size; ++p)
            ASSERT_EQ(*p, 0) << "byte " << (p - header) << " behind the text at " << text.Offset;
    }
    for (size_t i = 452; i < 708; ++i) ASSERT_EQ(header[i], 0) << "reserved byte " << i;
    uint32_t flags = 0;
    std::memcpy(&flags, header + 708, sizeof flags);
    EXPECT_EQ(flags, 4194368u);
}

TEST_F(PluginDll, BlocksAreZeroAtEveryLoad) {
    const std::vector<char> zeroes(sizeof(TPluginStruct), '\0');
    for (int load = 0; load < 2; ++load) {
        SCOPED_TRACE(load == 0 ? "first load" : "after unloading a dirtied library");
        EXPECT_EQ(std::memcmp(Language(), zeroes.data(), LanguageBufferSize), 0);
        EXPECT_EQ(std::memcmp(&Record(), zeroes.data(), sizeof(TPluginStruct)), 0);
        auto *header = const_cast<uint8_t *>(HeaderBytes());
        ExpectFilledFromZero(header);
        // Leave garbage everywhere; the next load must not see it.
        std::memset(Language(), 'x', LanguageBufferSize);
        std::memset(&Record(), 0x5A, sizeof(TPluginStruct));
        std::memset(header, 0x5A, sizeof(TPluginHeader));
        Reload();
    }
}

TEST_F(PluginDll, CompatibilityLevelIsTwo) {
    EXPECT_EQ(compatibility(), 2);
    EXPECT_EQ(compatibility(), 2);
}

// --- the header ------------------------------------------------------------

TEST_F(PluginDll, HeaderInEnglishForAnUntouchedLanguageBuffer) {
    const uint8_t *header = HeaderBytes();
    EXPECT_EQ(Field(header, 0, 64), Terminated(EnglishName, 64));
    EXPECT_EQ(Field(header, 64, 64), Terminated("2.0", 64));
    EXPECT_EQ(Int32At(header, 128), 4);
    EXPECT_EQ(Field(header, 196, 256), Terminated(EnglishDescription, 256));
    EXPECT_EQ(static_cast<uint32_t>(Int32At(header, 708)), 4194368u);
    for (size_t i = 452; i < 708; ++i) ASSERT_EQ(header[i], 0) << "reserved byte " << i;
    // The copyright: a non-empty line of printable text, terminated inside
    // its 64 bytes.
    const std::string copyright = Field(header, 132, 64);
    const size_t end = copyright.find('\0');
    ASSERT_NE(end, std::string::npos);
    EXPECT_GT(end, 10u);
    for (size_t i = 0; i < end; ++i) EXPECT_TRUE(copyright[i] >= 0x20 && copyright[i] < 0x7F);
    EXPECT_NE(copyright.find("Copyright"), std::string::npos);
    // Field by field through the contract's structure, the same bytes.
    const auto &typed = *reinterpret_cast<const TPluginHeader *>(header);
    EXPECT_STREQ(typed.Version, "2.0");
    EXPECT_EQ(typed.Kind, 4);
    EXPECT_EQ(typed.Flags, 4194368u);
}

struct TLanguageCase {
    std::string Code;
    bool French;
};

void PrintTo(const TLanguageCase &c, std::ostream *out) {
    *out << '"';
    for (const char ch : c.Code) {
        if (ch >= 0x20 && ch < 0x7F)
            *out << ch;
        else
            *out << "\\" << static_cast<int>(static_cast<unsigned char>(ch));
    }
    *out << '"';
}

class PluginLanguage : public PluginDll, public ::testing::WithParamInterface<TLanguageCase> {};

TEST_P(PluginLanguage, OnlyAnExactFrInTheFirstTwoBytesSelectsFrench) {
    SetLanguage(GetParam().Code);
    const uint8_t *header = HeaderBytes();
    const bool french = GetParam().French;
    EXPECT_EQ(Field(header, 0, 64), Terminated(french ? FrenchName : EnglishName, 64));
    EXPECT_EQ(Field(header, 196, 256), Terminated(french ? FrenchDescription : EnglishDescription, 256));
    EXPECT_EQ(Field(header, 64, 64), Terminated("2.0", 64));
    // The language buffer is the host's: the plug-in only reads it.
    EXPECT_EQ(std::string(Language(), GetParam().Code.size()), GetParam().Code);
}

INSTANTIATE_TEST_SUITE_P(Codes, PluginLanguage,
                         ::testing::Values(TLanguageCase{"FR", true}, TLanguageCase{"FRA", true},
                                           TLanguageCase{std::string("FR\0\x01xyz", 7), true},
                                           TLanguageCase{"fr", false}, TLanguageCase{"Fr", false},
                                           TLanguageCase{"fR", false}, TLanguageCase{"EN", false},
                                           TLanguageCase{"F", false}, TLanguageCase{std::string("\0R", 2), false},
                                           TLanguageCase{" FR", false}, TLanguageCase{"", false}));

TEST_F(PluginDll, FrenchDescriptionCarriesWindows1252EAcuteAndACarriageReturn) {
    SetLanguage("FR");
    const uint8_t *header = HeaderBytes();
    const std::string description = Field(header, 196, 256);
    EXPECT_EQ(description.find("Bas\xE9 sur"), 36u);
    EXPECT_EQ(description.find('\r'), 34u);
    EXPECT_EQ(description.find('\xC3'), std::string::npos) << "UTF-8 instead of Windows-1252";
}

TEST_F(PluginDll, SwitchingFromFrenchToEnglishLeavesTheLongerFrenchTailBehindTheNul) {
    SetLanguage("FR");
    HeaderBytes();
    SetLanguage("EN");
    const uint8_t *header = HeaderBytes();

    auto expectedField = [](std::string_view english, std::string_view french, size_t size) {
        std::string field = Terminated(french, size);
        field.replace(0, english.size(), english);
        field[english.size()] = '\0';
        return field;
    };
    ASSERT_GT(FrenchName.size(), EnglishName.size() + 1);
    EXPECT_EQ(Field(header, 0, 64), expectedField(EnglishName, FrenchName, 64));
    EXPECT_EQ(Field(header, 196, 256), expectedField(EnglishDescription, FrenchDescription, 256));
    // What a host reads as text is the English name.
    EXPECT_STREQ(reinterpret_cast<const char *>(header), std::string(EnglishName).c_str());
}

TEST_F(PluginDll, RepeatedHeaderFillsRewriteTextsAndKindAndOrTheFlags) {
    auto *header = static_cast<TPluginHeader *>(registerHeader());
    std::memset(header->Version, 'v', sizeof header->Version);
    header->Kind = 99;
    header->Flags = 0x80000001u;
    registerHeader();
    EXPECT_EQ(header->Kind, 4);
    EXPECT_EQ(header->Flags, 0x80000001u | 4194368u);
    // "2.0", its NUL, and the bytes behind it as they were.
    EXPECT_EQ(std::string(header->Version, 64), std::string("2.0") + '\0' + std::string(60, 'v'));
    registerHeader();
    EXPECT_EQ(header->Flags, 0x80000001u | 4194368u);
}

// --- the glyph and the other resources -------------------------------------

TEST_F(PluginDll, GlyphIsANewNineteenPixelBitmapAtEveryCall) {
    const auto first = static_cast<HBITMAP>(glyph());
    const auto second = static_cast<HBITMAP>(glyph());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(first, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 19);
    EXPECT_EQ(info.bmHeight, 19);
    // The host owns both copies.
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteObject(second));
}

TEST_F(PluginDll, GlyphResourceIsAn8BitPaletteBitmap) {
    const HRSRC resource = FindResourceA(module, "GLYPH", MAKEINTRESOURCEA(2));  // RT_BITMAP
    ASSERT_NE(resource, nullptr);
    const auto *bytes = static_cast<const uint8_t *>(LockResource(LoadResource(module, resource)));
    ASSERT_NE(bytes, nullptr);
    BITMAPINFOHEADER info{};
    ASSERT_GE(SizeofResource(module, resource), sizeof info);
    std::memcpy(&info, bytes, sizeof info);
    EXPECT_EQ(info.biWidth, 19);
    EXPECT_EQ(info.biHeight, 19);
    EXPECT_EQ(info.biBitCount, 8);
    EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_TRUE(info.biClrUsed == 0 || info.biClrUsed == 256);
    const DWORD rowSize = (19 + 3) & ~3u;
    EXPECT_EQ(SizeofResource(module, resource), info.biSize + 256 * 4 + rowSize * 19);
}

TEST_F(PluginDll, ManifestAsksForCommonControlsVersion6) {
    const HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(resource, nullptr);
    const auto *bytes = static_cast<const char *>(LockResource(LoadResource(module, resource)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, SizeofResource(module, resource));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("processorArchitecture=\"x86\""), std::string::npos);
}

TEST_F(PluginDll, VersionResourceSaysTwoPointZero) {
    const HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));  // RT_VERSION
    ASSERT_NE(resource, nullptr);
    const auto *bytes = static_cast<const uint8_t *>(LockResource(LoadResource(module, resource)));
    ASSERT_NE(bytes, nullptr);
    // VS_FIXEDFILEINFO follows its signature 0xFEEF04BD inside VS_VERSIONINFO.
    const DWORD size = SizeofResource(module, resource);
    bool found = false;
    for (DWORD i = 0; i + sizeof(VS_FIXEDFILEINFO) <= size; i += 4) {
        VS_FIXEDFILEINFO fixed{};
        std::memcpy(&fixed, bytes + i, sizeof fixed);
        if (fixed.dwSignature != 0xFEEF04BDu) continue;
        found = true;
        EXPECT_EQ(fixed.dwFileVersionMS, 0x00020000u);
        EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_DLL));
        break;
    }
    EXPECT_TRUE(found);
}

// --- Execute ------------------------------------------------------------------

TEST_F(PluginDll, ExecuteFailsWithZeroOnARecordTheHostLeftEmpty) {
    EXPECT_EQ(execute(), 0);
    EXPECT_EQ(execute(), 0);
}

TEST_F(PluginDll, ExecuteFailsWithZeroWithoutAFileNameCallback) {
    FillRecord(nullptr);
    EXPECT_EQ(execute(), 0);
}

TEST_F(PluginDll, ExecuteAsksForTheFileNameWithA255ByteBuffer) {
    FillRecord(FileNameFromHostStorage);
    EXPECT_EQ(execute(), 1);
    EXPECT_EQ(fileNameLog.Calls, 1);
    EXPECT_NE(fileNameLog.Buffer, nullptr);
    EXPECT_EQ(fileNameLog.Capacity, 255);
}

TEST_F(PluginDll, ExecuteTakesTheFileNameFromTheBufferOrANullAnswer) {
    FillRecord(FileNameIntoBuffer);
    EXPECT_EQ(execute(), 1);
    FillRecord(NoFileName);
    EXPECT_EQ(execute(), 1);
    EXPECT_EQ(fileNameLog.Calls, 2);
}

TEST_F(PluginDll, RunsInARowAreIndependent) {
    FillRecord(FileNameFromHostStorage);
    EXPECT_EQ(execute(), 1);
    EXPECT_EQ(execute(), 1);
    Record().FileNameProc = nullptr;
    EXPECT_EQ(execute(), 0);
    Record().FileNameProc = FileNameFromHostStorage;
    EXPECT_EQ(execute(), 1);
    EXPECT_EQ(fileNameLog.Calls, 3);
}

TEST_F(PluginDll, TheHostsBytesOfTheRecordAreNeverTouched) {
    TPluginStruct &record = Record();
    auto *bytes = reinterpret_cast<uint8_t *>(&record);
    for (size_t i = 0; i < sizeof record; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    FillRecord(FileNameFromHostStorage);
    std::vector<uint8_t> before(bytes, bytes + sizeof record);
    SetLanguage("FR");
    registerHeader();
    compatibility();
    DeleteObject(static_cast<HBITMAP>(glyph()));
    EXPECT_EQ(execute(), 1);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + sizeof record), before);
}

}  // namespace
