/* What -municode means to MinGW-w64's gcc, for Zig 0.11, which does not take the flag: its C
   runtime starts programs at main, so main takes the command line as the runtime parses it into
   wide strings and hands it to the program's wmain. */
#include <wchar.h>

typedef struct {
    int newmode;
} StartupInfo;

int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** env, int expandWildcards, StartupInfo* info);
int wmain(int argc, wchar_t** argv);

int main(void) {
    int argc = 0;
    wchar_t** argv = 0;
    wchar_t** env = 0;
    StartupInfo info = {0};
    if (__wgetmainargs(&argc, &argv, &env, 0, &info) < 0) return 255;
    return wmain(argc, argv);
}
