// exifinfo: prints what the plug-in's "EXIF / IPTC" dialog shows for image
// files, as text, JSON or CSV, or writes the plug-in's export file exactly.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "cli/Platform.h"
#include "cli/Run.h"
#include "cli/TextCodec.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace {

// Into a file or a pipe, output goes out in a few large writes instead of
// one per 4 KiB; a terminal keeps its line buffering. Set before any output,
// with a buffer of our own (the C library keeps its 4 KiB size otherwise).
char StdoutBuffer[64 * 1024];

int Main(int argc, char **argv) {
    if (!cli::IsTerminal(stdout)) std::setvbuf(stdout, StdoutBuffer, _IOFBF, sizeof StdoutBuffer);
    try {
        cli::Options options;
        std::string out, err;
        const cli::Request request = cli::ParseOptions(argc, argv, options, out, err);
        std::fputs(out.c_str(), stdout);
        std::fputs(err.c_str(), stderr);
        if (request == cli::Request::UsageError) return cli::ExitUsage;
        if (request == cli::Request::Done) return std::fflush(stdout) == 0 ? cli::ExitOk : cli::ExitUnreadable;
        return cli::Run(options);
    } catch (const std::exception &e) {
        // A file system error's text holds the file names involved.
        std::fprintf(stderr, "exifinfo: %s\n", cli::EscapeUtf8Controls(e.what()).c_str());
        return cli::ExitUnreadable;
    }
}

}  // namespace

#ifdef _WIN32

namespace {

std::string Utf8OfWide(const wchar_t *wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    text.resize(static_cast<size_t>(size - 1));
    return text;
}

}  // namespace

// The wide-character entry point: arguments arrive as UTF-16 whatever the
// code page, and go on as UTF-8 as on Linux. Output is UTF-8 with LF line
// ends, byte for byte what the Linux build prints.
int wmain(int argc, wchar_t **argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(Utf8OfWide(argv[i]));
    std::vector<char *> pointers;
    for (std::string &arg : args) pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    return Main(argc, pointers.data());
}

#else

int main(int argc, char **argv) {
    return Main(argc, argv);
}

#endif
