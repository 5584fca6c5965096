// Placeholder exports until the plug-in server is in place.
#include <platform/platform.h>

STDAPI DllGetClassObject(REFCLSID, REFIID, LPVOID*) { return CLASS_E_CLASSNOTAVAILABLE; }

STDAPI DllCanUnloadNow() { return S_OK; }
