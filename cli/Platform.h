// The few things that differ between Linux and Windows: how a UTF-8 name
// becomes a path, which name the reader's narrow file API understands,
// whether a stream is a terminal, what stands at a path, creating a file that
// must be new, and the signals that end the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <csignal>
#endif

namespace cli {

std::filesystem::path FsPath(const std::string &utf8);
std::string Utf8Of(const std::filesystem::path &path);

// The name under which the reader opens a file: the name as given, UTF-8 on
// Windows too (the reader opens it by its UTF-16 name).
std::string ReaderPath(const std::string &utf8);

bool IsTerminal(std::FILE *stream);

// The decimal separator of the user's locale as UTF-8, whole (several bytes
// for U+066B): on Linux LC_NUMERIC's, converted from that locale's character
// set; on Windows the regional settings'. "." when there is none.
std::string LocaleDecimalSeparator();

// Bytes written to the stream go out unchanged (Windows would turn LF into CR LF).
void SetBinaryOutput(std::FILE *stream);

// Copies standard input, as bytes (no line-end conversion), to the file open
// on `fd`, in chunks, at most `limit` bytes; TooLarge as soon as it holds
// more (the rest is not read), Failed when a read or a write fails. The
// descriptor is closed in every case.
enum class SpoolResult { Copied, TooLarge, Failed };
SpoolResult SpoolStandardInput(int fd, uint64_t limit);

// Creates `path` for writing, failing when it exists already; -1 on failure.
int CreateNewFile(const std::filesystem::path &path);
// Writes all of `bytes` to the descriptor, flushes it to the disk and closes
// it; false when any step fails (the descriptor is closed in every case).
bool WriteAndClose(int fd, const std::string &bytes);

// What stands at a path, symbolic links followed. On Windows a device (NUL,
// CON, COM1) or a pipe is what the handle's file type says.
enum class FileType { Missing, Regular, Folder, Device, Fifo, Socket, Other };
FileType TypeAt(const std::filesystem::path &path);

// The longest file name, in bytes, that the folder's file system takes.
size_t NameLimit(const std::filesystem::path &folder);

// Gives the file open on `fd` the mode of `original`, and its owner and group
// where the system permits; true when that is done or `original` does not
// exist. Windows keeps no such bits: nothing to do there.
bool TakeOwnerAndMode(int fd, const std::filesystem::path &original);

// Holds back the usual termination signals (SIGINT, SIGTERM, SIGHUP, SIGPIPE)
// while alive, so that creating or renaming a file and telling
// RemoveOnTermination about it is one step for a signal. Nothing on Windows.
class SignalHold {
public:
    SignalHold();
    ~SignalHold();
    SignalHold(const SignalHold &) = delete;
    SignalHold &operator=(const SignalHold &) = delete;

private:
#ifndef _WIN32
    sigset_t Earlier;
#endif
};

// While alive, a termination signal removes `path` and then ends the process
// as the signal's default action would; a signal the process ignores stays
// ignored. One at a time. On Windows (no such signals) it does nothing.
class RemoveOnTermination {
public:
    explicit RemoveOnTermination(const std::filesystem::path &path);
    ~RemoveOnTermination();
    RemoveOnTermination(const RemoveOnTermination &) = delete;
    RemoveOnTermination &operator=(const RemoveOnTermination &) = delete;

private:
    std::string Path;  // the native name, copied before any signal may need it
};

}  // namespace cli
