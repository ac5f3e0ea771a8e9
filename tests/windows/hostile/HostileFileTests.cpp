// Execute of the real PlgExif.dll on damaged and hostile files, as a host
// calls it: each run returns 1, shows the dialog, closes it when asked, and
// leaves no window and no thread behind.
#include <gtest/gtest.h>
#include <windows.h>

// After windows.h, whose types it uses.
#include <tlhelp32.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "HostileFiles.h"
#include "plugin/PlgInt.h"

namespace {

using hostile::THostileFile;
using TIntExport = int32_t(__stdcall *)();
using TPointerExport = void *(__stdcall *)();

// A dialog that does not close within this time counts as hung.
constexpr DWORD CloseDeadlineMs = 60000;

// What the host callbacks saw during one run.
struct TRunLog {
    std::string FileName;
    int Shows = 0;
    bool WasVisible = false;
    bool Closed = false;
};
TRunLog runLog;

const char *__stdcall HostFileName(char *, int32_t) {
    return runLog.FileName.c_str();
}

const char *__stdcall HostDirectory(char *, int32_t) {
    return nullptr;
}

// Pumps the messages at hand, so the dialog paints and lays itself out.
void PumpPending() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The host's modal display: show the dialog, let it settle, then close it as
// a user does with the title bar's button, and pump until it is hidden or gone.
int32_t __stdcall ShowThenClose(TPluginForm *dialog, int32_t, int32_t, int32_t) {
    ++runLog.Shows;
    if (dialog == nullptr || !IsWindow(dialog->Handle)) return 0;
    const HWND window = dialog->Handle;
    ShowWindow(window, SW_SHOW);
    PumpPending();
    runLog.WasVisible = IsWindowVisible(window) != FALSE;
    PostMessageA(window, WM_CLOSE, 0, 0);
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window) && GetTickCount() - start < CloseDeadlineMs) {
        PumpPending();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    runLog.Closed = !IsWindow(window) || !IsWindowVisible(window);
    return 0;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::set<HWND> *>(windows)->insert(window);
    return TRUE;
}

std::set<HWND> ThreadWindows() {
    std::set<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::set<DWORD> ProcessThreads() {
    std::set<DWORD> threads;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
    CloseHandle(snapshot);
    return threads;
}

std::string TempFolder() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "exifview-hostile\\";
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

std::string ReadSample(const std::string &name) {
    std::ifstream in(std::string(EXIFVIEW_TEST_DATA) + "/samples/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class HostileFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryA(PLGEXIF_DLL);
        ASSERT_NE(module, nullptr) << "LoadLibrary failed with error " << GetLastError();
        execute = reinterpret_cast<TIntExport>(reinterpret_cast<void *>(GetProcAddress(module, "Execute")));
        const auto record =
            reinterpret_cast<TPointerExport>(reinterpret_cast<void *>(GetProcAddress(module, "RegisterPluginStruct")));
        ASSERT_TRUE(execute && record);
        hostWindow = CreateWindowExA(0, "STATIC", "hostile-files host", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
        TPluginStruct &host = *static_cast<TPluginStruct *>(record());
        host.HostWindow = hostWindow;
        host.ImageRect = RECT{0, 0, 640, 480};
        host.VisualStyles = 0;
        host.ShowFormProc = ShowThenClose;
        host.FileNameProc = HostFileName;
        host.DirectoryProc = HostDirectory;
        // A first run on a real sample settles whatever the system sets up
        // once per process (window classes, wine's own helper threads).
        runLog = {};
        runLog.FileName = std::string(EXIFVIEW_TEST_DATA) + "/samples/Canon_40D.jpg";
        ASSERT_EQ(execute(), 1);
        PumpPending();
    }
    static void TearDownTestSuite() {
        if (hostWindow != nullptr) DestroyWindow(hostWindow);
        if (module != nullptr) FreeLibrary(module);
    }

    // Runs Execute on each file and checks the run as a host sees it.
    static void RunAll(const std::vector<THostileFile> &files) {
        ASSERT_FALSE(files.empty());
        const std::string folder = TempFolder();
        for (const THostileFile &file : files) {
            SCOPED_TRACE(file.Name);
            const std::string path = folder + file.Name;
            std::ofstream(path, std::ios::binary | std::ios::trunc) << file.Bytes;
            const std::set<HWND> windowsBefore = ThreadWindows();
            const std::set<DWORD> threadsBefore = ProcessThreads();
            runLog = {};
            runLog.FileName = path;
            EXPECT_EQ(execute(), 1);
            PumpPending();
            EXPECT_EQ(runLog.Shows, 1);
            EXPECT_TRUE(runLog.WasVisible);
            EXPECT_TRUE(runLog.Closed);
            EXPECT_EQ(ThreadWindows(), windowsBefore) << "a window was left behind";
            EXPECT_EQ(ProcessThreads(), threadsBefore) << "a thread was left behind";
            EXPECT_TRUE(IsWindowEnabled(hostWindow));
            DeleteFileA(path.c_str());
        }
    }

    static HMODULE module;
    static TIntExport execute;
    static HWND hostWindow;
};

HMODULE HostileFiles::module = nullptr;
TIntExport HostileFiles::execute = nullptr;
HWND HostileFiles::hostWindow = nullptr;

TEST_F(HostileFiles, BrokenJpegSegmentRuns) {
    RunAll(hostile::JpegStructureFiles());
}

TEST_F(HostileFiles, TiffDirectoriesThatLoopNestOrLie) {
    RunAll(hostile::TiffStructureFiles());
}

TEST_F(HostileFiles, MakerNotesOfEveryMakerWithWildCountsAndOffsets) {
    RunAll(hostile::MakerNoteFiles());
}

TEST_F(HostileFiles, IptcSegmentsRunningPastTheirEnd) {
    RunAll(hostile::IptcFiles());
}

TEST_F(HostileFiles, CutAndMutatedCameraFiles) {
    std::vector<THostileFile> files;
    for (const char *sample : {"Canon_40D.jpg", "Nikon_D70.jpg", "Arbitro.tiff"}) {
        const std::string bytes = ReadSample(sample);
        ASSERT_GT(bytes.size(), 4096u) << sample;
        for (THostileFile &f : hostile::DamagedSampleFiles(sample, bytes)) files.push_back(std::move(f));
    }
    RunAll(files);
}

}  // namespace
