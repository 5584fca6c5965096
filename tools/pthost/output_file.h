// Writing an output file so that a failure never leaves it half written: the document goes to a
// new file beside it, which replaces it only once it is written whole and closed.
#pragma once

#include <functional>
#include <string>

namespace pthost {

// Writes a whole file at `path` (UTF-8), replacing what it holds; false with the reason.
using FileWriter = std::function<bool(const std::string& path, std::string& reason)>;

// Replaces the file at `path` (UTF-8) with what `write` puts in a new file beside it. A file
// that is not a regular one (a device, a pipe) is written in place; a symbolic link is written
// through. False with one line naming the path and the reason, the old file as it was.
bool ReplaceFile(const std::string& path, const FileWriter& write, std::string& error);

// Writes `bytes` to the file at `path` (UTF-8), replacing what it holds: a FileWriter's body.
bool WriteBytes(const std::string& path, const std::string& bytes, std::string& reason);

// Has `write` fill a new temporary file, copies it to standard output and removes it. False
// with one line saying what could not be written.
bool WriteStandardOutput(const FileWriter& write, std::string& error);

// Writes `bytes` to the file at `path` (UTF-8), replacing what it holds: a FileWriter's body.
bool WriteBytes(const std::string& path, const std::string& bytes, std::string& reason);

// Has `write` fill a new temporary file and reads it back whole into `bytes`, so that text is
// written exactly as a file would get it. False with one line saying what failed.
bool WriteToMemory(const FileWriter& write, std::string& bytes, std::string& error);

// Whether the two paths name one existing file, however each is written.
bool IsSameFile(const std::string& first, const std::string& second);

}  // namespace pthost
