// A shared library that loads but exports neither DllGetClassObject nor DllCanUnloadNow.
extern "C" __attribute__((visibility("default"))) int NotAPlugin() { return 0; }
