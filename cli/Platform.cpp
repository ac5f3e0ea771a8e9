#include "cli/Platform.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <iterator>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <clocale>
#endif

namespace cli {

namespace fs = std::filesystem;

namespace {

// The common limit (ext4, XFS, Btrfs, NTFS in UTF-16 units) when the system
// does not say.
constexpr size_t UsualNameLimit = 255;

bool WriteAll(int fd, const char *bytes, size_t size);
bool CloseFile(int fd);
void ReadStandardInputAsBytes();

}  // namespace

std::filesystem::path FsPath(const std::string &utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path &path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string ReaderPath(const std::string &utf8) {
    return utf8;
}

#ifdef _WIN32

bool IsTerminal(std::FILE *stream) {
    return _isatty(_fileno(stream)) != 0;
}

std::string LocaleDecimalSeparator() {
    wchar_t separator[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 1) return ".";
    return Utf8Of(fs::path(std::wstring(separator)));
}

void SetBinaryOutput(std::FILE *stream) {
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
}

namespace {

void ReadStandardInputAsBytes() {
    _setmode(_fileno(stdin), _O_BINARY);
}

bool WriteAll(int fd, const char *bytes, size_t size) {
    for (size_t done = 0; done < size;) {
        const int n = _write(fd, bytes + done, static_cast<unsigned>(std::min<size_t>(size - done, 1u << 30)));
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool CloseFile(int fd) {
    return _close(fd) == 0;
}

}  // namespace

int CreateNewFile(const std::filesystem::path &path) {
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

bool WriteAndClose(int fd, const std::string &bytes) {
    const bool ok = WriteAll(fd, bytes.data(), bytes.size()) && _commit(fd) == 0;
    return CloseFile(fd) && ok;
}

FileType TypeAt(const fs::path &path) {
    // No access asked for: only the handle's type and attributes are read.
    const HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Any other failure is left to the write, which names it.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileType::Missing : FileType::Regular;
    }
    FileType type = FileType::Other;
    BY_HANDLE_FILE_INFORMATION info;
    switch (GetFileType(handle)) {
        case FILE_TYPE_DISK:
            type = GetFileInformationByHandle(handle, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                       ? FileType::Folder
                       : FileType::Regular;
            break;
        case FILE_TYPE_CHAR:
            type = FileType::Device;
            break;
        case FILE_TYPE_PIPE:
            type = FileType::Fifo;
            break;
        default:
            break;
    }
    CloseHandle(handle);
    return type;
}

size_t NameLimit(const fs::path &) {
    return UsualNameLimit;
}

bool TakeOwnerAndMode(int, const fs::path &) {
    return true;
}

SignalHold::SignalHold() = default;
SignalHold::~SignalHold() = default;

RemoveOnTermination::RemoveOnTermination(const fs::path &) {}
RemoveOnTermination::~RemoveOnTermination() = default;

#else

bool IsTerminal(std::FILE *stream) {
    return isatty(fileno(stream)) != 0;
}

namespace {

// `text` from the character set `codeset` to UTF-8; empty when it does not
// convert.
std::string Utf8From(const char *codeset, std::string text) {
    const iconv_t converter = iconv_open("UTF-8", codeset);
    if (converter == reinterpret_cast<iconv_t>(-1)) return {};
    // A character takes at most four bytes in UTF-8 and at least one in any
    // character set.
    std::string out(4 * text.size(), '\0');
    char *in = text.data();
    char *to = out.data();
    size_t inLeft = text.size(), outLeft = out.size();
    const bool converted = iconv(converter, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv_close(converter);
    if (!converted) return {};
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

std::string LocaleDecimalSeparator() {
    // The environment's LC_NUMERIC names the locale; its separator's bytes
    // are in that locale's character set, so both come from it.
    const char *name = std::setlocale(LC_NUMERIC, "");
    std::string separator;
    if (name) {
        if (const locale_t locale = newlocale(LC_CTYPE_MASK | LC_NUMERIC_MASK, name, locale_t{})) {
            separator = Utf8From(nl_langinfo_l(CODESET, locale), nl_langinfo_l(RADIXCHAR, locale));
            freelocale(locale);
        }
    }
    std::setlocale(LC_NUMERIC, "C");
    return separator.empty() ? "." : separator;
}

void SetBinaryOutput(std::FILE *) {}

namespace {

void ReadStandardInputAsBytes() {}

bool WriteAll(int fd, const char *bytes, size_t size) {
    for (size_t done = 0; done < size;) {
        const ssize_t n = write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool CloseFile(int fd) {
    return close(fd) == 0;
}

}  // namespace

int CreateNewFile(const std::filesystem::path &path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool WriteAndClose(int fd, const std::string &bytes) {
    const bool ok = WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
    return CloseFile(fd) && ok;
}

FileType TypeAt(const fs::path &path) {
    std::error_code error;
    switch (fs::status(path, error).type()) {
        case fs::file_type::regular:
            return FileType::Regular;
        case fs::file_type::directory:
            return FileType::Folder;
        case fs::file_type::character:
        case fs::file_type::block:
            return FileType::Device;
        case fs::file_type::fifo:
            return FileType::Fifo;
        case fs::file_type::socket:
            return FileType::Socket;
        case fs::file_type::not_found:
        case fs::file_type::none:
            // Not there, or not to be seen (no permission on a folder): the
            // write fails then and names the reason.
            return FileType::Missing;
        default:
            return FileType::Other;
    }
}

size_t NameLimit(const fs::path &folder) {
    const long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<size_t>(limit) : UsualNameLimit;
}

bool TakeOwnerAndMode(int fd, const fs::path &original) {
    struct stat status;
    if (stat(original.c_str(), &status) != 0) return errno == ENOENT;
    // The owner first: a change of owner clears the set-user-ID and
    // set-group-ID bits, which the mode then gives back. Only root may give a
    // file away; a member of the file's group may still keep the group.
    if (fchown(fd, status.st_uid, status.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), status.st_gid) != 0) {
        // Neither permitted: the file is the writer's, as any file written anew.
    }
    return fchmod(fd, status.st_mode & 07777) == 0;
}

namespace {

constexpr int TerminationSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
constexpr size_t TerminationSignalCount = std::size(TerminationSignals);

sigset_t TerminationSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : TerminationSignals) sigaddset(&set, signal);
    return set;
}

// The name the handler removes: a pointer swap is all a handler may see
// change under it, so the name itself is prepared beforehand.
static_assert(std::atomic<const char *>::is_always_lock_free);
std::atomic<const char *> PendingRemoval{nullptr};

struct sigaction EarlierActions[TerminationSignalCount];
bool Replaced[TerminationSignalCount];

// Only async-signal-safe calls. SA_RESETHAND has restored the default
// action, which the raised signal takes once the handler returns.
extern "C" void RemoveAndEnd(int signal) {
    if (const char *path = PendingRemoval.load()) unlink(path);
    raise(signal);
}

bool IsIgnored(const struct sigaction &action) {
    return (action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_IGN;
}

}  // namespace

SignalHold::SignalHold() {
    const sigset_t set = TerminationSet();
    sigprocmask(SIG_BLOCK, &set, &Earlier);
}

SignalHold::~SignalHold() {
    sigprocmask(SIG_SETMASK, &Earlier, nullptr);
}

RemoveOnTermination::RemoveOnTermination(const fs::path &path) : Path(path.native()) {
    PendingRemoval.store(Path.c_str());
    struct sigaction action {};
    action.sa_handler = RemoveAndEnd;
    action.sa_mask = TerminationSet();
    action.sa_flags = SA_RESETHAND;
    for (size_t i = 0; i < TerminationSignalCount; ++i) {
        sigaction(TerminationSignals[i], nullptr, &EarlierActions[i]);
        // nohup's ignored SIGHUP, for one, stays ignored.
        Replaced[i] = !IsIgnored(EarlierActions[i]);
        if (Replaced[i]) sigaction(TerminationSignals[i], &action, nullptr);
    }
}

RemoveOnTermination::~RemoveOnTermination() {
    PendingRemoval.store(nullptr);
    for (size_t i = 0; i < TerminationSignalCount; ++i)
        if (Replaced[i]) sigaction(TerminationSignals[i], &EarlierActions[i], nullptr);
}

#endif

// One chunk at a time: the input is never held whole, whatever its size.
SpoolResult SpoolStandardInput(int fd, uint64_t limit) {
    ReadStandardInputAsBytes();
    std::array<char, 65536> chunk{};
    uint64_t total = 0;
    SpoolResult result = SpoolResult::Copied;
    for (size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), stdin)) > 0;) {
        total += n;
        if (total > limit) {
            result = SpoolResult::TooLarge;
            break;
        }
        if (!WriteAll(fd, chunk.data(), n)) {
            result = SpoolResult::Failed;
            break;
        }
    }
    if (result == SpoolResult::Copied && std::ferror(stdin)) result = SpoolResult::Failed;
    if (!CloseFile(fd) && result == SpoolResult::Copied) result = SpoolResult::Failed;
    return result;
}

}  // namespace cli
