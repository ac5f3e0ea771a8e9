// Writing the export file without risk to the images or to an earlier
// export: the bytes go to a new file beside the target, which then replaces
// the target in one rename, so a failed write leaves the earlier file whole.
#pragma once

#include <string>
#include <vector>

namespace cli {

// True when `target` is one of `inputs` under any name: the same path, a
// symbolic link to it or a hard link of it.
bool IsOneOfTheInputs(const std::string &target, const std::vector<std::string> &inputs);

// Writes `bytes` to `target` through a temporary file in its folder; on
// failure `error` says why, the temporary file is gone and the target is as
// it was.
bool WriteReplacing(const std::string &target, const std::string &bytes, std::string &error);

}  // namespace cli
