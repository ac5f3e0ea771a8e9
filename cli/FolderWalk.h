// The files a recursive run reads under a folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace cli {

// Folders deeper than this below the named one are not entered (a bind mount
// can make a tree endless without any symbolic link).
inline constexpr int MaxFolderDepth = 64;

// Appends to `files` the JPEG and TIFF files under `folder`: each folder's
// entries sorted by name (bytes), a subfolder walked where it sorts; names
// starting with "." skipped; symbolic links to files read, to folders not
// followed. `report` receives a message for each folder that cannot be read,
// `skipped` one for each entry passed over that a user may have meant to be
// read: a symbolic link that leads nowhere, a FIFO, socket or device.
void CollectImageFiles(const std::string &folder, std::vector<std::string> &files,
                       const std::function<void(const std::string &)> &report,
                       const std::function<void(const std::string &)> &skipped);

}  // namespace cli
