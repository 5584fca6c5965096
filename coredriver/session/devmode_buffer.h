// A real DEVMODE buffer as the core driver keeps one: a DEVMODEW followed by the UI plug-in's
// private section, which the plug-in itself sized (OEMDM_SIZE) and filled (OEMDM_DEFAULT).
#pragma once

#include <platform/platform.h>

#include <vector>

class DevModeBuffer {
public:
    // Asks `plugin` for its section size and default contents and lays out the buffer. Returns
    // the plug-in's failure, E_INVALIDARG when the size does not fit dmDriverExtra, or E_POINTER
    // for a null plug-in; the buffer is unchanged on failure.
    HRESULT Make(IPrintOemUI2* plugin);

    DEVMODEW* DevMode() { return reinterpret_cast<DEVMODEW*>(bytes_.data()); }
    // The whole buffer, public part and private section, in bytes.
    DWORD Size() const { return static_cast<DWORD>(bytes_.size()); }
    void* PrivateSection() { return bytes_.data() + sizeof(DEVMODEW); }
    DWORD PrivateSize() const { return Size() - static_cast<DWORD>(sizeof(DEVMODEW)); }

private:
    std::vector<unsigned char> bytes_ = std::vector<unsigned char>(sizeof(DEVMODEW));
};
