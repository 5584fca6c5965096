// The one file of the host that switches on the platform: module loading is dlopen on Linux and
// LoadLibraryW on Windows.
#include <session/loaded_module.h>

#include <session/hresult_text.h>

#include <utility>

#ifdef _WIN32
#include <vector>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#endif

namespace {

#ifdef _WIN32
constexpr const char* kModuleFileName = "qpplugin.dll";
constexpr const char* kSeparators = "\\/";

std::basic_string<WCHAR> WideFromUtf8(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::basic_string<WCHAR> wide(static_cast<size_t>(length), 0);
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Utf8FromWide(const std::basic_string<WCHAR>& wide) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
    return text;
}


// A bare file name would send LoadLibraryW through the system's search order; the user means
// the file in the current directory, so it is handed over as a full path.
std::basic_string<WCHAR> ModuleFileName(const std::string& path) {
    const std::basic_string<WCHAR> wide = WideFromUtf8(path);
    if (path.find_first_of(kSeparators) != std::string::npos) return wide;
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return wide;
    std::basic_string<WCHAR> full(length, 0);
    const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length) return wide;
    full.resize(written);
    return full;
}

void* OpenModule(const std::string& path, std::string& reason) {
    HMODULE module = LoadLibraryW(ModuleFileName(path).c_str());
    if (module == nullptr) reason = DescribeSystemError(GetLastError());
    return module;
}

void* FindExport(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void CloseModule(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

std::string ExecutablePath() {
    std::vector<WCHAR> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return Utf8FromWide(std::basic_string<WCHAR>(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
}
#else
constexpr const char* kModuleFileName = "libqpplugin.so";
constexpr const char* kSeparators = "/";

void* OpenModule(const std::string& path, std::string& reason) {
    // dlopen looks a name without a slash up as a system library; the user means the file.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) return handle;
    reason = dlerror();
    // dlerror starts with the path, which the caller's message already names.
    if (reason.rfind(file + ": ", 0) == 0) reason.erase(0, file.size() + 2);
    return nullptr;
}

void* FindExport(void* handle, const char* name) { return dlsym(handle, name); }

void CloseModule(void* handle) { dlclose(handle); }

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return {};
    return std::string(buffer, static_cast<size_t>(length));
}
#endif

}  // namespace

std::unique_ptr<LoadedModule> LoadedModule::Load(const std::string& path, std::string& error) {
    std::string reason;
    void* handle = OpenModule(path, reason);
    if (handle == nullptr) {
        error = "cannot load plug-in module '" + path + "': " + reason;
        return nullptr;
    }
    void* getClassObject = FindExport(handle, "DllGetClassObject");
    void* canUnloadNow = FindExport(handle, "DllCanUnloadNow");
    std::string missing;
    if (getClassObject == nullptr) missing = "DllGetClassObject";
    if (canUnloadNow == nullptr) missing += missing.empty() ? "DllCanUnloadNow" : " and DllCanUnloadNow";
    if (!missing.empty()) {
        CloseModule(handle);
        error = "plug-in module '" + path + "' does not export " + missing;
        return nullptr;
    }
    return std::unique_ptr<LoadedModule>(new LoadedModule(path, handle,
                                                          reinterpret_cast<PFN_DllGetClassObject>(getClassObject),
                                                          reinterpret_cast<PFN_DllCanUnloadNow>(canUnloadNow)));
}

LoadedModule::~LoadedModule() { CloseModule(handle_); }

std::string ModuleBesideExecutable() {
    const std::string executable = ExecutablePath();
    const size_t separator = executable.find_last_of(kSeparators);
    if (separator == std::string::npos) return {};
    return executable.substr(0, separator + 1) + kModuleFileName;
}
