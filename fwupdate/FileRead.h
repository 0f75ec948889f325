// Reading a whole firmware image file into memory, with the system's description of why
// it could not be read.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace fwupdate {

// The largest file that is read: the transfer counts its position in 32 signed bits.
inline constexpr std::uint64_t MaxFileSize = std::numeric_limits<std::int32_t>::max();

struct ReadResult {
    std::vector<std::uint8_t> Bytes;  // the whole file, when Error is 0
    int Error = 0;                    // errno of the failure; EFBIG above MaxFileSize
};

// Reads all of `path`. A file larger than MaxFileSize is refused before anything is
// allocated for it; running out of memory is reported as ENOMEM.
ReadResult ReadWholeFile(const std::string& path);

// The system's description of an errno value ("No such file or directory").
std::string ErrorText(int error);

}  // namespace fwupdate
