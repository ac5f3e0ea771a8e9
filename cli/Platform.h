// The few things that differ between Linux and Windows: how a UTF-8 name
// becomes a path, which name the reader's narrow file API understands,
// whether a stream is a terminal, and creating a file that must be new.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace cli {

std::filesystem::path FsPath(const std::string &utf8);
std::string Utf8Of(const std::filesystem::path &path);

// The name under which the reader opens a file. On Linux the bytes as given;
// on Windows the narrow (ANSI code page) name, or the short 8.3 name when the
// code page cannot spell the long one.
std::string ReaderPath(const std::string &utf8);

bool IsTerminal(std::FILE *stream);

// Creates `path` for writing, failing when it exists already; -1 on failure.
int CreateNewFile(const std::filesystem::path &path);
// Writes all of `bytes` to the descriptor, flushes it to the disk and closes
// it; false when any step fails (the descriptor is closed in every case).
bool WriteAndClose(int fd, const std::string &bytes);

}  // namespace cli
