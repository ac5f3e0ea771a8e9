// The reference host, plugin-host.exe, run as a user would run it with --run:
// it loads the real DLL, registers it, fills its record and calls Execute.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct THostRun {
    DWORD ExitCode = 0xFFFFFFFF;
    std::string Output;
};

struct THandleCloser {
    HANDLE Handle = nullptr;
    ~THandleCloser() {
        if (Handle != nullptr && Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
    }
};

THostRun RunHost(const std::string &arguments) {
    THostRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    THandleCloser readEnd, writeEnd;
    if (!CreatePipe(&readEnd.Handle, &writeEnd.Handle, &inherit, 0)) return run;
    SetHandleInformation(readEnd.Handle, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.Handle;
    startup.hStdError = writeEnd.Handle;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string commandLine = "\"" PLUGIN_HOST "\" " + arguments;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return run;
    THandleCloser processHandle{process.hProcess}, threadHandle{process.hThread};
    CloseHandle(writeEnd.Handle);
    writeEnd.Handle = nullptr;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(readEnd.Handle, chunk, sizeof chunk, &got, nullptr) && got > 0) run.Output.append(chunk, got);
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &run.ExitCode);
    // The C runtime's text mode may turn line ends into CR LF.
    std::string plain;
    for (const char c : run.Output)
        if (c != '\r') plain += c;
    run.Output = plain;
    return run;
}

std::string Line(const std::string &text) {
    return "\n" + text + "\n";
}

bool HasLine(const THostRun &run, const std::string &text) {
    return ("\n" + run.Output).find(Line(text)) != std::string::npos;
}

std::string TempFile(const char *name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

void WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A JPEG with an APP0 segment and a baseline frame header of the given size.
std::vector<uint8_t> JpegOfSize(uint16_t width, uint16_t height) {
    std::vector<uint8_t> bytes = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    const std::vector<uint8_t> frame = {0xFF,
                                        0xC0,
                                        0x00,
                                        0x0B,
                                        8,
                                        static_cast<uint8_t>(height >> 8),
                                        static_cast<uint8_t>(height),
                                        static_cast<uint8_t>(width >> 8),
                                        static_cast<uint8_t>(width),
                                        1,
                                        1,
                                        0x11,
                                        0};
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    bytes.insert(bytes.end(), {0xFF, 0xD9});
    return bytes;
}

const std::string Sample = std::string("\"") + EXIFVIEW_TEST_DATA + "/samples/Canon_40D.jpg\"";
// The plug-in's dialog, if it shows one, is closed as a user would close it.
const std::string Dll = std::string("--dll \"") + PLGEXIF_DLL + "\" --close-after 300 ";
const std::string FakeDll = std::string("--dll \"") + FAKE_PLUGIN_DLL + "\" ";

size_t LinePosition(const THostRun &run, const std::string &text) {
    return ("\n" + run.Output).find(Line(text));
}

TEST(ReferenceHost, RegistersThePluginInEnglishAndRunsIt) {
    const THostRun run = RunHost(Dll + "--run --size 640x480 " + Sample);
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_TRUE(HasLine(run, "Compatibility: 2")) << run.Output;
    EXPECT_TRUE(HasLine(run, "Name: EXIF information...")) << run.Output;
    EXPECT_TRUE(HasLine(run, "Version: 2.0")) << run.Output;
    EXPECT_TRUE(HasLine(run, "Kind: 4")) << run.Output;
    EXPECT_TRUE(HasLine(run, "Flags: 4194368")) << run.Output;
    EXPECT_TRUE(HasLine(run, "Description: Show EXIF/IPTC information\\r(Based on library ExifData / Varnecke)"))
        << run.Output;
    EXPECT_TRUE(HasLine(run, "Glyph: 19x19")) << run.Output;
    EXPECT_TRUE(HasLine(run, "ImageRect: 0 0 640 480")) << run.Output;
    EXPECT_TRUE(HasLine(run, "Execute: 1")) << run.Output;
}

TEST(ReferenceHost, WritesTheLanguageCodeBeforeRegistering) {
    const THostRun french = RunHost(Dll + "--run --lang FR " + Sample);
    EXPECT_EQ(french.ExitCode, 0u) << french.Output;
    EXPECT_TRUE(HasLine(french, "Name: Informations EXIF/IPTC...")) << french.Output;
    EXPECT_TRUE(HasLine(
        french, "Description: Affiche les informations EXIF/IPTC\\r(Bas\\xE9 sur la librairie ExifData / Varnecke)"))
        << french.Output;
    const THostRun lowerCase = RunHost(Dll + "--run --lang fr " + Sample);
    EXPECT_TRUE(HasLine(lowerCase, "Name: EXIF information...")) << lowerCase.Output;
}

TEST(ReferenceHost, TakesTheImageSizeFromTheJpegFrameHeader) {
    const std::string image = TempFile("exifview-host-frame.jpg");
    WriteBytes(image, JpegOfSize(321, 123));
    const THostRun run = RunHost(Dll + "--run \"" + image + "\"");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_TRUE(HasLine(run, "ImageRect: 0 0 321 123")) << run.Output;
    // Not a JPEG: no size.
    WriteBytes(image, {'I', 'I', 42, 0, 8, 0, 0, 0});
    const THostRun tiff = RunHost(Dll + "--run \"" + image + "\"");
    EXPECT_TRUE(HasLine(tiff, "ImageRect: 0 0 0 0")) << tiff.Output;
    EXPECT_TRUE(HasLine(tiff, "Execute: 1")) << tiff.Output;
    DeleteFileA(image.c_str());
}

TEST(ReferenceHost, ReportsALibraryItCannotLoad) {
    const THostRun run = RunHost("--run --dll \"" + TempFile("no-such-plugin.dll") + "\" " + Sample);
    EXPECT_EQ(run.ExitCode, 1u);
    EXPECT_NE(run.Output.find("Cannot load"), std::string::npos) << run.Output;
}

TEST(ReferenceHost, ShowsTheDialogModallyAndReturnsOnlyAfterItClosed) {
    const THostRun run = RunHost(FakeDll + "--run --close-after 200 " + Sample);
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_TRUE(HasLine(run, "Glyph: none")) << run.Output;
    const size_t shown = LinePosition(run, "ShowFormProc: mode 0, switches -1 -1");
    const size_t closed = LinePosition(run, "ShowFormProc: closed");
    const size_t checked =
        LinePosition(run, "Fake dialog: shown 1, owner disabled 1, hidden after 1, owner enabled after 1");
    const size_t result = LinePosition(run, "Execute: 1");
    ASSERT_NE(shown, std::string::npos) << run.Output;
    ASSERT_NE(closed, std::string::npos) << run.Output;
    ASSERT_NE(checked, std::string::npos) << run.Output;
    ASSERT_NE(result, std::string::npos) << run.Output;
    EXPECT_LT(shown, closed);
    EXPECT_LT(closed, checked);
    EXPECT_LT(checked, result);
}

TEST(ReferenceHost, SavesTheDialogsPixelsBeforeClosingIt) {
    const std::string picture = TempFile("exifview-host-dialog.bmp");
    DeleteFileA(picture.c_str());
    const THostRun run = RunHost(FakeDll + "--run --close-after 200 --screenshot \"" + picture + "\" " + Sample);
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_TRUE(HasLine(run, "Screenshot: saved")) << run.Output;
    std::ifstream in(picture, std::ios::binary);
    ASSERT_TRUE(in) << picture;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    in.read(reinterpret_cast<char *>(&file), sizeof file);
    in.read(reinterpret_cast<char *>(&info), sizeof info);
    ASSERT_TRUE(in);
    EXPECT_EQ(file.bfType, 0x4D42);
    // The stand-in dialog's window is 200 x 120 pixels.
    EXPECT_EQ(info.biWidth, 200);
    EXPECT_EQ(info.biHeight, 120);
    EXPECT_EQ(info.biBitCount, 24);
    in.seekg(0, std::ios::end);
    EXPECT_EQ(static_cast<DWORD>(in.tellg()), file.bfSize);
    in.close();
    DeleteFileA(picture.c_str());
}

}  // namespace
