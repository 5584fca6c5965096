#include <session/devmode_buffer.h>

#include <cstdint>
#include <utility>

namespace {

OEMDMPARAM ParamsFor(DEVMODEW* devmode, void* section, DWORD sectionSize) {
    OEMDMPARAM params{};
    params.cbSize = sizeof(OEMDMPARAM);
    params.pPublicDMOut = devmode;
    params.pOEMDMOut = section;
    params.cbBufSize = sectionSize;
    return params;
}

}  // namespace

HRESULT DevModeBuffer::Make(IPrintOemUI2* plugin) {
    if (plugin == nullptr) return E_POINTER;
    OEMDMPARAM sizing = ParamsFor(nullptr, nullptr, 0);
    const HRESULT sized = plugin->DevMode(OEMDM_SIZE, &sizing);
    if (FAILED(sized)) return sized;
    if (sizing.cbBufSize > UINT16_MAX) return E_INVALIDARG;

    std::vector<unsigned char> bytes(sizeof(DEVMODEW) + sizing.cbBufSize);
    auto* devmode = reinterpret_cast<DEVMODEW*>(bytes.data());
    devmode->dmSpecVersion = DM_SPECVERSION;
    devmode->dmSize = sizeof(DEVMODEW);
    devmode->dmDriverExtra = static_cast<WORD>(sizing.cbBufSize);
    if (sizing.cbBufSize != 0) {
        OEMDMPARAM defaults = ParamsFor(devmode, bytes.data() + sizeof(DEVMODEW), sizing.cbBufSize);
        const HRESULT filled = plugin->DevMode(OEMDM_DEFAULT, &defaults);
        if (FAILED(filled)) return filled;
    }
    bytes_ = std::move(bytes);
    return S_OK;
}
