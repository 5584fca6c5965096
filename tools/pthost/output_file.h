// Writing an output file so that a failure never leaves it half written: the bytes go to a new
// file beside it, which replaces it only once all of them are written and the file is closed.
#pragma once

#include <string>

namespace pthost {

// Replaces the file at `path` (UTF-8) with `bytes`. A file that is not a regular one (a device,
// a pipe) is written in place; a symbolic link is written through. False with one line naming
// the path and the reason, the old file as it was.
bool ReplaceFile(const std::string& path, const std::string& bytes, std::string& error);

// Whether the two paths name one existing file, however each is written.
bool IsSameFile(const std::string& first, const std::string& second);

}  // namespace pthost
