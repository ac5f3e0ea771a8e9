// The whole file through what the dialog and exifinfo show. The view is built
// from a file name, so the bytes go into an anonymous in-memory file first.
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "dialog/ParamsRows.h"
#include "fuzz/FuzzChecks.h"
#include "fuzz/FuzzTargets.h"

namespace fuzz {

using fuzzcheck::Expect;

namespace {

// One anonymous file for the whole run, rewritten for every input; its
// /proc path names it. The first bytes decide the kind, as a file without
// a known extension is read by the command-line tool.
class TMemoryFile {
public:
    TMemoryFile() : Fd(memfd_create("exifview-fuzz", 0)), Path("/proc/self/fd/" + std::to_string(Fd)) {}
    ~TMemoryFile() { close(Fd); }
    TMemoryFile(const TMemoryFile &) = delete;
    TMemoryFile &operator=(const TMemoryFile &) = delete;

    const std::string &Write(const uint8_t *data, size_t size) {
        Expect(Fd >= 0 && ftruncate(Fd, 0) == 0, "in-memory file");
        size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(Fd, data + done, size - done, static_cast<off_t>(done));
            Expect(n > 0, "in-memory file write");
            done += static_cast<size_t>(n);
        }
        return Path;
    }

private:
    int Fd;
    std::string Path;
};

size_t LineCount(std::string_view text) {
    size_t n = 0;
    for (size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) ++n;
    return n;
}

bool SameRows(const std::vector<params::GridRow> &a, const std::vector<params::GridRow> &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].Name != b[i].Name || a[i].Value != b[i].Value) return false;
    return true;
}

// Every cell becomes a "name=value" line of the export. Names are the
// reader's and stay on one line; values may not: maker-note and IPTC values
// are the file's text as it is (tests/data/crashes/README.txt).
void CheckRows(const std::vector<params::GridRow> &rows, std::string_view grid) {
    Expect(!rows.empty(), "a grid has at least one row", grid);
    for (const params::GridRow &row : rows) {
        Expect(row.Name.find_first_of("\r\n") == std::string::npos, "a grid name is one line", row.Name);
        fuzzcheck::CheckTerminalName(row.Name, "grid name");
        fuzzcheck::CheckTerminalText(row.Value, "grid value");
    }
}

void CheckView(const params::ImageView &view) {
    Expect(view.HasMetadata || !view.ErrorText.empty(), "a file without metadata says why");
    CheckRows(view.Exif.Rows, "EXIF");
    if (view.Exif.Rows.size() > 1) {
        const char *const first[] = {"FileName", "FileSize", "ImageWidth", "ImageHeight"};
        Expect(view.Exif.Rows.size() >= 4, "the EXIF grid starts with the four file rows");
        for (size_t i = 0; i < 4; ++i) Expect(view.Exif.Rows[i].Name == first[i], "file rows in order");
    }
    Expect(view.Exif.Comment.find('\0') == std::string::npos, "the comment box text ends at its first zero");
    fuzzcheck::CheckTerminalText(view.Exif.Comment, "comment");
    if (view.Iptc.Visible) CheckRows(view.Iptc.Rows, "IPTC");
    if (view.Xmp.Visible) CheckRows(view.Xmp.Rows, "XMP");

    const std::string exported = params::ExportText(view);
    const size_t expectedLines = view.Exif.Rows.size() + 2 + (view.Iptc.Visible ? view.Iptc.Rows.size() + 2 : 0) +
                                 (view.Xmp.Visible ? view.Xmp.Rows.size() + 2 : 0);
    Expect(exported.starts_with("EXIF\r\n") && exported.ends_with("\r\n"), "export text framing");
    Expect(LineCount(exported) == expectedLines, "one export line per row", exported);
    fuzzcheck::CheckExportBytes(exported);
}

}  // namespace

void ImageView(const uint8_t *data, size_t size) {
    static TMemoryFile file;
    const std::string &path = file.Write(data, size);
    params::ViewRequest request;
    request.SizeFromFile = true;
    request.DisplayName = "fuzz.jpg";
    request.Separators = params::AnyPathSeparators;
    request.WithListing = true;
    const params::ImageView withListing = params::BuildImageView(path, request);
    CheckView(withListing);
    fuzzcheck::CheckTerminalText(withListing.Listing, "listing");

    // Building the listings must not change what the grids show. A second
    // build costs as much as the first, so a quarter of the inputs are
    // checked for it, chosen by their length so that a finding replays.
    if (size % 4 != 0) return;
    request.WithListing = false;
    const params::ImageView plain = params::BuildImageView(path, request);
    Expect(SameRows(plain.Exif.Rows, withListing.Exif.Rows) && plain.Exif.Comment == withListing.Exif.Comment,
           "the EXIF grid is the same with or without the listings");
    Expect(plain.Iptc.Visible == withListing.Iptc.Visible && SameRows(plain.Iptc.Rows, withListing.Iptc.Rows),
           "the IPTC grid is the same with or without the listings");
    Expect(plain.Xmp.Visible == withListing.Xmp.Visible && SameRows(plain.Xmp.Rows, withListing.Xmp.Rows),
           "the XMP grid is the same with or without the listings");
}

}  // namespace fuzz
