// Storage for the two MSXML interface ids that msxml2.h declares but MinGW-w64's libuuid does
// not define. Under MSVC the SDK's msxml6.lib/uuid.lib define them already, so only the
// MinGW-w64 build compiles these definitions.
#include <platform/platform.h>

#if defined(__MINGW32__)
extern "C" {
extern const IID IID_IXMLDOMDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
extern const IID IID_IMXNamespaceManager = {0xc90352f6, 0x643c, 0x4fbc, {0xbb, 0x23, 0xe9, 0x96, 0xeb, 0x2d, 0x51, 0xfd}};
}
#endif
