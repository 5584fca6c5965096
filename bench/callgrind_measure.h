// One measurement under callgrind: collection only around the measured call, one profile dumped
// under the measurement's name. Run outside callgrind, or built without valgrind's headers, the
// call runs and nothing is counted. Included by the programs built with QP_HAVE_CALLGRIND.
#pragma once

#if QP_HAVE_CALLGRIND
#include <valgrind/callgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_TOGGLE_COLLECT
#define CALLGRIND_DUMP_STATS_AT(name) static_cast<void>(name)
#endif

#include <string>

namespace qpbench {

// Collects only while `call` runs, then writes the profile under `name`.
template <class Call>
void Measure(const std::string& name, Call call) {
    CALLGRIND_ZERO_STATS;
    CALLGRIND_TOGGLE_COLLECT;
    call();
    CALLGRIND_TOGGLE_COLLECT;
    CALLGRIND_DUMP_STATS_AT(name.c_str());
}

// Whether the program runs under valgrind, where the measurements count.
inline bool UnderCallgrind() { return RUNNING_ON_VALGRIND != 0; }

}  // namespace qpbench
