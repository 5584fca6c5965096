#include <session/hresult_text.h>

#include <cstdio>

namespace {

struct NamedResult {
    HRESULT code;
    const char* name;
};

const NamedResult kNames[] = {
    {S_OK, "S_OK"},
    {S_FALSE, "S_FALSE"},
    {S_NO_CONFLICT, "S_NO_CONFLICT"},
    {E_FAIL, "E_FAIL"},
    {E_INVALIDARG, "E_INVALIDARG"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
    {E_ACCESSDENIED, "E_ACCESSDENIED"},
    {E_NOTIMPL, "E_NOTIMPL"},
    {E_NOINTERFACE, "E_NOINTERFACE"},
    {E_POINTER, "E_POINTER"},
    {E_UNEXPECTED, "E_UNEXPECTED"},
    {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
    {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
    {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG"},
    {E_VERSION_NOT_SUPPORTED, "E_VERSION_NOT_SUPPORTED"},
    {static_cast<HRESULT>(0x8007007A), "HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)"},
    {HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), "HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)"},
    {HRESULT_FROM_WIN32(ERROR_DISK_FULL), "HRESULT_FROM_WIN32(ERROR_DISK_FULL)"},
    {HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE), "HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)"},
};

}  // namespace

std::string DescribeHResult(HRESULT hr) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(hr));
    for (const NamedResult& known : kNames) {
        if (known.code == hr) return std::string(hex) + " (" + known.name + ")";
    }
    return hex;
}

#ifdef _WIN32
std::string DescribeSystemError(DWORD code) {
    char* message = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<char*>(&message), 0, nullptr);
    std::string text = length != 0 ? std::string(message, length) : "error " + std::to_string(code);
    LocalFree(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}
#endif
