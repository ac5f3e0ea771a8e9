// Writing the export file without risk to the images, to an earlier export
// or to what else may stand at the target: the bytes go to a new file beside
// the target, which then replaces the target in one rename, so a failed write
// leaves the earlier file whole. Only a regular file is ever replaced.
#pragma once

#include <string>
#include <vector>

namespace cli {

// True when `target` is one of `inputs` under any name: the same path, a
// symbolic link to it or a hard link of it.
bool IsOneOfTheInputs(const std::string &target, const std::vector<std::string> &inputs);

enum class ExportResult {
    Written,
    Refused,  // a folder, device, FIFO or socket stands at the target (or where its links lead)
    Failed,   // the file could not be written; the target is as it was
};

// Writes `bytes` to `target` through a temporary file in its folder. A
// symbolic link at `target` is followed and the file it leads to replaced;
// that file's mode (and owner, where permitted) is kept. Until the rename, a
// termination signal removes the temporary file. Unless written, `error`
// says why, and no temporary file is left.
ExportResult WriteReplacing(const std::string &target, const std::string &bytes, std::string &error);

}  // namespace cli
