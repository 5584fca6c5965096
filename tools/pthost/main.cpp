// pthost: plays the printer's core driver for the plug-in module.
#include "command.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return pthost::Main(pthost::Utf8Arguments(argc, argv)); }
#else
int main(int argc, char** argv) { return pthost::Main(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
