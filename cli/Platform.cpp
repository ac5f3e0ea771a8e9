#include "cli/Platform.h"

#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace cli {

std::filesystem::path FsPath(const std::string &utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path &path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

#ifdef _WIN32

namespace {

std::string NarrowOf(const std::wstring &wide) {
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return {};
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

}  // namespace

std::string ReaderPath(const std::string &utf8) {
    const std::wstring wide = FsPath(utf8).wstring();
    std::string narrow = NarrowOf(wide);
    if (!narrow.empty()) return narrow;
    std::wstring shortName(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(wide.c_str(), shortName.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return utf8;
    shortName.resize(length);
    narrow = NarrowOf(shortName);
    return narrow.empty() ? utf8 : narrow;
}

bool IsTerminal(std::FILE *stream) {
    return _isatty(_fileno(stream)) != 0;
}

int CreateNewFile(const std::filesystem::path &path) {
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

bool WriteAndClose(int fd, const std::string &bytes) {
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const int n = _write(fd, bytes.data() + done, static_cast<unsigned>(bytes.size() - done));
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ok && _commit(fd) == 0;
    return _close(fd) == 0 && ok;
}

#else

std::string ReaderPath(const std::string &utf8) {
    return utf8;
}

bool IsTerminal(std::FILE *stream) {
    return isatty(fileno(stream)) != 0;
}

int CreateNewFile(const std::filesystem::path &path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool WriteAndClose(int fd, const std::string &bytes) {
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

#endif

}  // namespace cli
