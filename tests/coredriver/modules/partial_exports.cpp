// A loadable library that is not a complete plug-in module: it exports DllCanUnloadNow only
// when QP_EXPORT_CAN_UNLOAD is defined, and DllGetClassObject never.
#include <platform/platform.h>

extern "C" PORTABLE_API int QpNotAPlugin() { return 1; }

#ifdef QP_EXPORT_CAN_UNLOAD
STDAPI DllCanUnloadNow() { return S_OK; }
#endif
