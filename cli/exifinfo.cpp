// exifinfo: prints what the plug-in's "EXIF / IPTC" dialog shows for image
// files, in the format of its Export, or writes that export file exactly.

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "dialog/ParamsRows.h"
#include "exif/ImgData.h"
#include "exif/TextFormat.h"

namespace {

constexpr const char *Usage =
    "usage: exifinfo [options] FILE...\n"
    "Prints the EXIF and IPTC information of JPEG and TIFF-structured images\n"
    "(.jpg .jpeg .jpe .tif .tiff .nef) as name=value lines, as the plug-in's\n"
    "dialog shows and exports them.\n"
    "\n"
    "options:\n"
    "  --size WxH          image width and height for the ImageWidth and\n"
    "                      ImageHeight rows (default: the JPEG frame header,\n"
    "                      else the dimensions recorded in the EXIF data)\n"
    "  --export PATH       write the export file for one FILE to PATH, byte for\n"
    "                      byte (Windows-1252, CR LF line ends)\n"
    "  --listing           print the reader's directory and maker-note listings\n"
    "  --decimal C         decimal separator of numbers (default: the locale's)\n"
    "  --help              show this text\n";

struct Options {
    bool hasSize = false;
    int32_t width = 0, height = 0;
    std::string exportPath;
    bool listing = false;
    std::vector<std::string> files;
};

bool ParseSize(const std::string &text, int32_t &width, int32_t &height) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    const auto w = exif::ParseDecimal(text.substr(0, x));
    const auto h = exif::ParseDecimal(text.substr(x + 1));
    if (!w || !h || text[0] == ' ' || (x + 1 < text.size() && text[x + 1] == ' ')) return false;
    width = *w;
    height = *h;
    return true;
}

// Returns 0 when the options are usable, else the exit status to end with.
int ParseOptions(int argc, char **argv, Options &o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--help" || a == "-h") {
            std::cout << Usage;
            return -1;
        } else if (a == "--size" && hasValue) {
            if (!ParseSize(argv[++i], o.width, o.height)) {
                std::cerr << "exifinfo: --size wants WxH, for example 640x480\n";
                return 2;
            }
            o.hasSize = true;
        } else if (a == "--export" && hasValue) {
            o.exportPath = argv[++i];
        } else if (a == "--decimal" && hasValue) {
            const std::string c = argv[++i];
            if (c.size() != 1) {
                std::cerr << "exifinfo: --decimal wants one character\n";
                return 2;
            }
            exif::SetDecimalSeparator(c[0]);
        } else if (a == "--listing") {
            o.listing = true;
        } else if (a.size() > 1 && a[0] == '-') {
            std::cerr << "exifinfo: unknown or incomplete option " << a << "\n" << Usage;
            return 2;
        } else {
            o.files.push_back(a);
        }
    }
    if (o.files.empty()) {
        std::cerr << Usage;
        return 2;
    }
    if (!o.exportPath.empty() && o.files.size() != 1) {
        std::cerr << "exifinfo: --export takes exactly one FILE\n";
        return 2;
    }
    return 0;
}

std::string ForTerminal(const std::string &windowsText) {
    std::string out;
    for (size_t i = 0; i < windowsText.size(); ++i) {
        if (windowsText[i] == '\r' && i + 1 < windowsText.size() && windowsText[i + 1] == '\n') continue;
        out += windowsText[i];
    }
    return exif::Windows1252ToUtf8(out);
}

std::string ListingOf(const std::string &file) {
    params::ViewRequest request;
    request.WithListing = true;
    return params::BuildImageView(file, request).Listing;
}

std::string ExportOf(const Options &o, const std::string &file) {
    params::ViewRequest request;
    request.ImageWidth = o.width;
    request.ImageHeight = o.height;
    request.SizeFromFile = !o.hasSize;
    request.Separators = params::AnyPathSeparators;
    const params::ImageView view = params::BuildImageView(file, request);
    return params::ExportText(view.Exif, view.Iptc);
}

bool Readable(const std::string &file) {
    if (!exif::FileExists(file)) return false;
    std::ifstream in(file, std::ios::binary);
    return static_cast<bool>(in);
}

int Run(const Options &o) {
    if (!o.exportPath.empty()) {
        const std::string &file = o.files.front();
        if (!Readable(file)) {
            std::cerr << "exifinfo: cannot read " << file << "\n";
            return 1;
        }
        std::ofstream out(o.exportPath, std::ios::binary | std::ios::trunc);
        out << ExportOf(o, file);
        if (!out.flush()) {
            std::cerr << "exifinfo: cannot write " << o.exportPath << "\n";
            return 1;
        }
        return 0;
    }
    int status = 0;
    bool first = true;
    for (const std::string &file : o.files) {
        if (!Readable(file)) {
            std::cerr << "exifinfo: cannot read " << file << "\n";
            status = 1;
            continue;
        }
        if (o.files.size() > 1) std::cout << (first ? "" : "\n") << "==> " << file << " <==\n";
        first = false;
        const std::string text = o.listing ? ListingOf(file) : ExportOf(o, file);
        std::cout << ForTerminal(text);
        if (o.listing) std::cout << "\n";
    }
    return status;
}

}  // namespace

int main(int argc, char **argv) {
    std::setlocale(LC_NUMERIC, "");
    exif::TakeDecimalSeparatorFromLocale();
    try {
        Options o;
        const int status = ParseOptions(argc, argv, o);
        if (status != 0) return status < 0 ? 0 : status;
        return Run(o);
    } catch (const std::exception &e) {
        std::cerr << "exifinfo: " << e.what() << "\n";
        return 1;
    }
}
