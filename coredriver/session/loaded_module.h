// A plug-in module loaded as the core driver loads it: by path, through its two exports only.
#pragma once

#include <platform/platform.h>

#include <memory>
#include <string>

class LoadedModule {
public:
    // Loads the module at `path` (UTF-8) and resolves DllGetClassObject and DllCanUnloadNow.
    // On failure returns null and sets `error` to one line that names the path and what is
    // wrong: the loader's reason, or the exports that are missing.
    static std::unique_ptr<LoadedModule> Load(const std::string& path, std::string& error);

    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    // Unloads the module; every object it made must have been released by then.
    ~LoadedModule();

    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) const { return getClassObject_(rclsid, riid, ppv); }
    HRESULT CanUnloadNow() const { return canUnloadNow_(); }
    const std::string& Path() const { return path_; }

private:
    LoadedModule(std::string path, void* handle, PFN_DllGetClassObject getClassObject,
                 PFN_DllCanUnloadNow canUnloadNow)
        : path_(std::move(path)), handle_(handle), getClassObject_(getClassObject), canUnloadNow_(canUnloadNow) {}

    std::string path_;
    void* handle_;
    PFN_DllGetClassObject getClassObject_;
    PFN_DllCanUnloadNow canUnloadNow_;
};

// The plug-in module built beside the running executable: libqpplugin.so on Linux,
// qpplugin.dll on Windows. Empty when the executable's own path cannot be found.
std::string ModuleBesideExecutable();
