// pthost: plays the printer's core driver for the plug-in module.
#include "command.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return pthost::Main(pthost::Utf8Arguments(argc, argv)); }
#else
#include <csignal>

int main(int argc, char** argv) {
    // Past a file-size limit a write should fail with EFBIG, which pthost reports, rather than
    // end the process with the output half written.
    std::signal(SIGXFSZ, SIG_IGN);
    return pthost::Main(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
