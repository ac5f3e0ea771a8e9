// Export end to end: the Export button, the platform's save dialog, and the
// file's bytes, which must be those of the view model's export text (shared
// with the command-line tool) and of goldens the tool wrote.
#include <gtest/gtest.h>

#include <windows.h>

#include <commdlg.h>

#include <cctype>
#include <filesystem>

#include "DialogFixture.h"

using namespace drive;

namespace {

constexpr int FileNameField = 0x47C;  // the save dialog's file-name box
constexpr int FileTypeField = 0x470;
constexpr int ReadOnlyBox = 0x410;

HWND OpenSaveDialog(const Controls &c) {
    // Export opens a modal loop: post, never send.
    PostMessageA(c.exportButton, BM_CLICK, 0, 0);
    return FindOwned(c.form, "#32770");
}

void Choose(HWND saveDialog, const std::string &path) {
    SendMessageW(GetDlgItem(saveDialog, FileNameField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(path).c_str()));
    PostMessageA(saveDialog, WM_COMMAND, IDOK, 0);
}

std::vector<std::string> StaticTexts(HWND box) {
    std::vector<std::string> texts;
    for (HWND c : Children(box))
        if (ClassOf(c) == "Static") texts.push_back(TextOf(c));
    return texts;
}

bool HasErrorIcon(HWND box) {
    const HICON hand = LoadIconA(nullptr, MAKEINTRESOURCEA(32513));  // IDI_HAND
    for (HWND c : Children(box))
        if (ClassOf(c) == "Static" && reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0)) == hand) return true;
    return false;
}

int ButtonCount(HWND box) {
    int n = 0;
    for (HWND c : Children(box))
        if (ClassOf(c) == "Button" && IsWindowVisible(c)) ++n;
    return n;
}

// The folder the save dialog shows (its dialog is a Unicode one: the text
// comes as UTF-16), without a trailing separator.
std::string FolderOf(HWND saveDialog) {
    wchar_t folder[MAX_PATH] = {};
    SendMessageW(saveDialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    std::string shown = Utf8(folder);
    while (!shown.empty() && shown.back() == '\\') shown.pop_back();
    return shown;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return s;
}

}  // namespace

class ExportTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::path(::testing::TempDir()) / (std::string("exifview-export-") + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        host->Directory = WindowsPath(dir.string());
    }
    void TearDown() override {
        DialogTest::TearDown();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::string InDir(const std::string &name) const { return WindowsPath((dir / name).string()); }

    std::vector<std::string> FilesInDir() const {
        std::vector<std::string> names;
        for (const auto &e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The export file of `file` as the view model builds it.
    static std::string Expected(const std::string &file) {
        params::ViewRequest request;
        request.ImageWidth = 800;
        request.ImageHeight = 600;
        return params::ExportText(params::BuildImageView(file, request));
    }

    // Exports through the save dialog to `path`; answers the overwrite
    // question with yes when it comes.
    static void ExportTo(const Controls &c, const std::string &path, bool expectOverwriteQuestion = false) {
        const HWND saveDialog = OpenSaveDialog(c);
        ASSERT_NE(saveDialog, nullptr);
        Choose(saveDialog, path);
        if (expectOverwriteQuestion) {
            const HWND question = FindOwned(saveDialog, "#32770");
            ASSERT_NE(question, nullptr);
            PostMessageA(question, WM_COMMAND, IDYES, 0);
        }
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(saveDialog) || !IsWindowVisible(saveDialog); }));
        // The file is written after the save dialog has gone; a sent message
        // is handled only once the click's handler has returned (or inside
        // the error box's loop, after the failure).
        SendMessageA(c.form, WM_NULL, 0, 0);
    }

    std::filesystem::path dir;
};

TEST_F(ExportTest, SaveDialogProposesTheImageNameWithTxtInTheHostsFolderAndCancelWritesNothing) {
    Show(Sample("nikon-e950.jpg"), [&](const Controls &c) {
        const HWND saveDialog = OpenSaveDialog(c);
        ASSERT_NE(saveDialog, nullptr);
        EXPECT_EQ(TextOf(GetDlgItem(saveDialog, FileNameField)), "nikon-e950.txt");
        EXPECT_EQ(TextOf(GetDlgItem(saveDialog, FileTypeField)), "Text (*.txt)");
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(saveDialog, ReadOnlyBox)));
        std::string shown = FolderOf(saveDialog), wanted = host->Directory;
        EXPECT_EQ(Lower(shown), Lower(wanted));
        PostMessageA(saveDialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(saveDialog); }));
        EXPECT_TRUE(IsWindowVisible(c.form));
    });
    EXPECT_EQ(result, 1);
    EXPECT_GE(host->DirectoryCalls, 1);
    EXPECT_TRUE(FilesInDir().empty());
}

TEST_F(ExportTest, ProposedNameReplacesOrAddsTheExtension) {
    const std::pair<const char *, const char *> cases[] = {
        {"C:\\Photos\\IMG_0001.JPG", "IMG_0001.txt"}, {"C:\\scans\\scan", "scan.txt"}, {"D:a.b.jpg", "a.b.txt"}};
    for (const auto &[image, proposed] : cases) {
        Show(image, [&](const Controls &c) {
            const HWND saveDialog = OpenSaveDialog(c);
            ASSERT_NE(saveDialog, nullptr);
            EXPECT_EQ(TextOf(GetDlgItem(saveDialog, FileNameField)), proposed);
            PostMessageA(saveDialog, WM_COMMAND, IDCANCEL, 0);
            EXPECT_TRUE(WaitFor([&] { return !IsWindow(saveDialog); }));
        });
    }
}

TEST_F(ExportTest, ImageAndFolderNamedInOtherScriptsGiveTheProposedNameFolderAndFileInUnicode) {
    const UnicodeFile image =
        WriteUnicodeNamedFile("書類 Ünïcødé", "Ünïcødé 東京.jpg", FileBytes(Sample("BlueSquare.jpg")));
    host->Directory = image.AnsiFolder;
    Show(image.AnsiPath, [&](const Controls &c) {
        const HWND saveDialog = OpenSaveDialog(c);
        ASSERT_NE(saveDialog, nullptr);
        EXPECT_EQ(TextOf(GetDlgItem(saveDialog, FileNameField)), "Ünïcødé 東京.txt");
        EXPECT_EQ(Lower(FolderOf(saveDialog)), Lower(image.Folder));
        // Saved as proposed: the file goes beside the image.
        PostMessageW(saveDialog, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(saveDialog) || !IsWindowVisible(saveDialog); }));
        SendMessageW(c.form, WM_NULL, 0, 0);
    });
    const std::filesystem::path folder(Wide(image.Folder));
    std::ifstream in(folder / Wide("Ünïcødé 東京.txt"), std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(written, Expected(image.Path));
    // Nothing else beside them: the temporary file took the export's name.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 2);
}

TEST_F(ExportTest, FileHoldsExactlyTheSharedExportTextAndTheDialogStaysOpen) {
    const std::string crafted = WriteCraftedJpeg("crafted-export.jpg", 3, 1, "Hello", true);
    for (const std::string &file :
         {Sample("nikon-e950.jpg"), Sample("BlueSquare.jpg"), Sample("Canon_40D.jpg"), crafted}) {
        const std::string out = InDir("out-" + std::to_string(FilesInDir().size()) + ".txt");
        Show(file, [&](const Controls &c) {
            ExportTo(c, out);
            EXPECT_TRUE(IsWindowVisible(c.form));
        });
        EXPECT_EQ(result, 1);
        const std::string bytes = FileBytes(out);
        EXPECT_EQ(bytes, Expected(file)) << file;
        EXPECT_EQ(bytes.substr(0, 6), "EXIF\r\n");
    }
}

TEST_F(ExportTest, XmpRowsComeAfterTheIptcRowsAndOnlyForAFileWithXmp) {
    const std::string withXmp = WriteCraftedJpeg("crafted-export-xmp.jpg", 3, 1, "Hello", true, XmpPacket());
    const std::string without = WriteCraftedJpeg("crafted-export.jpg", 3, 1, "Hello", true);
    Show(withXmp, [&](const Controls &c) { ExportTo(c, InDir("with.txt")); });
    Show(without, [&](const Controls &c) { ExportTo(c, InDir("without.txt")); });
    const std::string with = FileBytes(InDir("with.txt")), plain = FileBytes(InDir("without.txt"));
    EXPECT_EQ(with, Expected(withXmp));
    EXPECT_EQ(plain, Expected(without));
    // From the comment on (the file rows name two files), the same lines and
    // then the XMP block.
    const auto fromComment = [](const std::string &text) { return text.substr(text.find("UserComment=")); };
    EXPECT_EQ(fromComment(with), fromComment(plain) +
                                     "\r\nXMP\r\nxmp:Rating=4\r\ndc:subject=sea, sky\r\ndc:title=Caf\xE9\r\n"
                                     "dc:title[de]=Kaffee\r\ndc:description=one.? two\r\n");
}

TEST_F(ExportTest, FileEqualsWhatTheCommandLineToolExports) {
    // Written by the native exifinfo --size 800x600 --export.
    for (const std::string name : {"nikon-e950", "BlueSquare"}) {
        const std::string out = InDir(name + ".txt");
        Show(Sample(name + ".jpg"), [&](const Controls &c) { ExportTo(c, out); });
        const std::string golden = FileBytes(WindowsPath(std::string(EXIFVIEW_GOLDEN) + "/" + name + ".800x600.txt"));
        ASSERT_FALSE(golden.empty());
        EXPECT_EQ(FileBytes(out), golden) << name;
    }
}

TEST_F(ExportTest, NameWithoutExtensionGetsTxt) {
    Show(Sample("Canon_40D.jpg"), [&](const Controls &c) { ExportTo(c, InDir("plain")); });
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"plain.txt"});
    EXPECT_EQ(FileBytes(InDir("plain.txt")), Expected(Sample("Canon_40D.jpg")));
}

TEST_F(ExportTest, ExportingAgainToTheSameNameAsksAndReplacesTheWholeFile) {
    const std::string out = InDir("again.txt");
    std::ofstream(out, std::ios::binary) << std::string(200000, 'x');
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        ExportTo(c, out, true);
        EXPECT_EQ(FileBytes(out), Expected(Sample("BlueSquare.jpg")));
        ExportTo(c, out, true);
    });
    EXPECT_EQ(FileBytes(out), Expected(Sample("BlueSquare.jpg")));
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"again.txt"});
}

TEST_F(ExportTest, FileThatCannotBeCreatedShowsTheFrenchErrorAndKeepsTheOldFile) {
    const std::string out = InDir("locked.txt");
    std::ofstream(out, std::ios::binary) << "old contents";
    // Held open without sharing: nothing can open or replace it meanwhile.
    const HANDLE lock = CreateFileA(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    Show(Sample("BlueSquare.jpg"), [&](const Controls &c) {
        ExportTo(c, out, true);
        const HWND box = FindOwned(c.form, "#32770");
        ASSERT_NE(box, nullptr);
        const std::vector<std::string> texts = StaticTexts(box);
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Impossible de créer le fichier " + out + "."), texts.end());
        EXPECT_TRUE(HasErrorIcon(box));
        EXPECT_EQ(ButtonCount(box), 1);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        EXPECT_TRUE(IsWindowVisible(c.form));
        // The dialog can export again.
        ExportTo(c, InDir("second.txt"));
    });
    CloseHandle(lock);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(FileBytes(out), "old contents");
    EXPECT_EQ(FilesInDir(), (std::vector<std::string>{"locked.txt", "second.txt"}));
    EXPECT_EQ(FileBytes(InDir("second.txt")), Expected(Sample("BlueSquare.jpg")));
}
