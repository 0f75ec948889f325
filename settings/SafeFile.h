// Reading and replacing a user's file so that neither a hostile file nor a failed write
// can harm: reads are bounded and refuse anything but a regular file; a replacement
// reaches the file whole or not at all.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// The whole content of the regular file at `path` into `bytes`; nothing on success, or
// why not (the file is missing, unreadable, not a regular file or longer than `maxBytes`).
// Opening never blocks (a FIFO or a device is refused, not waited on).
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes,
                                         std::vector<char>& bytes);

// Makes `bytes` the content of the file at `path` (through a symbolic link, its target):
// writes a new file beside it, flushes it to the disk, then renames it over `path`. Nothing
// on success; otherwise why not, and the file at `path` is as it was and the new file is
// gone. An existing file keeps its permissions; one that is not a regular file is refused.
std::optional<std::string> ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace settings
