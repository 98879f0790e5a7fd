#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant must stop the run the same way under libFuzzer and under the seed replay, and
// must not depend on NDEBUG, which the release-like builds define.
#define VORTAXEL_FUZZ_CHECK(condition)                                                                                 \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);                     \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
