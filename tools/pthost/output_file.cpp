// The one file of pthost that switches on the platform: the new file beside the output is made
// and renamed over it with mkstemp and rename on Linux, CreateFileW and MoveFileExW on Windows.
#include "output_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <session/hresult_text.h>
#include <platform/platform.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pthost {
namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string Utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string ErrnoReason() { return errno != 0 ? std::strerror(errno) : "write error"; }

// The file beside `target` that the bytes go to first; a name of its own, hidden on Linux.
fs::path SiblingPattern(const fs::path& target) {
    return target.parent_path() / fs::path(u8"." + target.filename().u8string() + u8".pthost-");
}

#ifdef _WIN32
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(FileHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        Close();
        handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        return *this;
    }
    ~FileHandle() { Close(); }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
        return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) != 0;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

FileHandle OpenForIdentity(const fs::path& path) {
    return FileHandle(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool Identify(const fs::path& path, BY_HANDLE_FILE_INFORMATION& identity) {
    const FileHandle file = OpenForIdentity(path);
    return file.IsOpen() && GetFileInformationByHandle(file.Get(), &identity) != 0;
}

// A new file beside the output, removed unless it replaced the output.
class SiblingFile {
public:
    SiblingFile() = default;
    SiblingFile(const SiblingFile&) = delete;
    SiblingFile& operator=(const SiblingFile&) = delete;
    ~SiblingFile() {
        file_.Close();
        if (!path_.empty() && !renamed_) DeleteFileW(path_.c_str());
    }

    bool Create(const fs::path& target, std::string& reason) {
        static unsigned counter = 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            fs::path candidate = SiblingPattern(target);
            candidate += std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
            file_ = FileHandle(CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file_.IsOpen()) {
                path_ = std::move(candidate);
                return true;
            }
            if (GetLastError() != ERROR_FILE_EXISTS) break;
        }
        reason = DescribeSystemError(GetLastError());
        return false;
    }

    const fs::path& Path() const { return path_; }
    void KeepPrivate() {}

    bool Fill(const FileWriter& write, std::string& reason) {
        if (file_.Close()) return write(Utf8Of(path_), reason);
        reason = DescribeSystemError(GetLastError());
        return false;
    }

    bool RenameOver(const fs::path& target, std::string& reason) {
        renamed_ = MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        if (!renamed_) reason = DescribeSystemError(GetLastError());
        return renamed_;
    }

private:
    FileHandle file_;
    fs::path path_;
    bool renamed_ = false;
};
#else
// What a file made by open(2) with mode 0666 would get: the process's umask applied.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// A new file beside the output, removed unless it replaced the output.
class SiblingFile {
public:
    SiblingFile() = default;
    SiblingFile(const SiblingFile&) = delete;
    SiblingFile& operator=(const SiblingFile&) = delete;
    ~SiblingFile() {
        if (fd_ >= 0) close(fd_);
        if (!path_.empty() && !renamed_) unlink(path_.c_str());
    }

    bool Create(const fs::path& target, std::string& reason) {
        std::string pattern = SiblingPattern(target).native() + "XXXXXX";
        errno = 0;
        fd_ = mkstemp(pattern.data());
        if (fd_ < 0) {
            reason = ErrnoReason();
            return false;
        }
        path_ = std::move(pattern);
        struct stat existing {};
        mode_ = stat(target.c_str(), &existing) == 0 ? existing.st_mode & 07777 : NewFileMode();
        return Check(close(std::exchange(fd_, -1)) == 0, reason);
    }

    fs::path Path() const { return path_; }
    // Readable by this user alone, as mkstemp made it.
    void KeepPrivate() { mode_ = 0600; }

    // The mode is set last: a read-only one would keep the writer out.
    bool Fill(const FileWriter& write, std::string& reason) {
        errno = 0;
        return write(path_, reason) && Check(chmod(path_.c_str(), mode_) == 0, reason);
    }

    bool RenameOver(const fs::path& target, std::string& reason) {
        renamed_ = rename(path_.c_str(), target.c_str()) == 0;
        return Check(renamed_, reason);
    }

private:
    static bool Check(bool succeeded, std::string& reason) {
        if (!succeeded) reason = ErrnoReason();
        return succeeded;
    }

    int fd_ = -1;
    std::string path_;
    mode_t mode_ = 0;
    bool renamed_ = false;
};
#endif

bool WriteBeside(const fs::path& target, const FileWriter& write, std::string& reason) {
    SiblingFile sibling;
    return sibling.Create(target, reason) && sibling.Fill(write, reason) && sibling.RenameOver(target, reason);
}

bool Write(const fs::path& path, const FileWriter& write, std::string& reason) {
    std::error_code ignored;
    const fs::file_status status = fs::status(path, ignored);
    // A device or a pipe cannot be replaced by renaming; it is written as it stands.
    if (fs::exists(status) && !fs::is_regular_file(status)) return write(Utf8Of(path), reason);
    // A link keeps pointing where it did: the file it names is the one replaced.
    if (fs::is_symlink(fs::symlink_status(path, ignored))) {
        const fs::path linked = fs::canonical(path, ignored);
        if (!linked.empty()) return WriteBeside(linked, write, reason);
    }
    return WriteBeside(path, write, reason);
}

// Fills a private temporary file with `write`; false with the reason.
bool FillTemporary(SiblingFile& file, const FileWriter& write, std::string& reason) {
    std::error_code failed;
    const fs::path directory = fs::temp_directory_path(failed);
    if (failed) {
        reason = failed.message();
        return false;
    }
    if (!file.Create(directory / "output.xml", reason)) return false;
    file.KeepPrivate();
    return file.Fill(write, reason);
}

bool CopyToStandardOutput(const fs::path& path, std::string& reason) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        reason = "cannot read " + Utf8Of(path);
        return false;
    }
    errno = 0;
    std::cout << file.rdbuf();
    std::cout.flush();
    if (std::cout) return true;
    reason = ErrnoReason();
    return false;
}

}  // namespace

bool ReplaceFile(const std::string& path, const FileWriter& write, std::string& error) {
    std::string reason;
    if (Write(PathOf(path), write, reason)) return true;
    error = path + ": cannot write: " + reason;
    return false;
}

bool WriteStandardOutput(const FileWriter& write, std::string& error) {
    SiblingFile file;
    std::string reason;
    if (!FillTemporary(file, write, reason)) {
        error = "cannot write standard output through a temporary file: " + reason;
        return false;
    }
    if (CopyToStandardOutput(file.Path(), reason)) return true;
    error = "cannot write standard output: " + reason;
    return false;
}

bool WriteBytes(const std::string& path, const std::string& bytes, std::string& reason) {
    errno = 0;
    std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (out) return true;
    reason = ErrnoReason();
    return false;
}

bool WriteToMemory(const FileWriter& write, std::string& bytes, std::string& error) {
    SiblingFile file;
    std::string reason;
    if (!FillTemporary(file, write, reason)) {
        error = "cannot write the document to a temporary file: " + reason;
        return false;
    }
    std::ifstream in(file.Path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in.bad() && text) {
        bytes = text.str();
        return true;
    }
    error = "cannot read back the temporary file " + Utf8Of(file.Path());
    return false;
}

bool IsSameFile(const std::string& first, const std::string& second) {
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    return Identify(PathOf(first), a) && Identify(PathOf(second), b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
#else
    struct stat a {};
    struct stat b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
#endif
}

}  // namespace pthost
