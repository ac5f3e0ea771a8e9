// Records written once and read back once, in their order, kept outside the
// process's memory: CSV learns its header (the union of every file's keys)
// only after the last file, and its rows wait here until then, so a run
// over any number of files takes the memory of one row.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace cli {

class RowSpool {
public:
    // A temporary file the system removes when it is closed or the process
    // ends; where none can be made, memory.
    RowSpool();
    ~RowSpool();
    RowSpool(const RowSpool &) = delete;
    RowSpool &operator=(const RowSpool &) = delete;

    // Appends a record; false once a write has failed (see Error).
    bool Add(std::string_view record);
    // Reads the records from the first: call once, after the last Add.
    bool StartReading();
    // The next record into `record`; false at the end or when a read fails.
    bool Next(std::string &record);
    bool Ok() const { return Reason.empty(); }
    // The system's reason for the first failure.
    const std::string &Error() const { return Reason; }

private:
    bool Fail(const char *what);

    std::FILE *File = nullptr;
    std::string Memory;  // without a file
    size_t ReadAt = 0;
    std::string Reason;
};

}  // namespace cli
