#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant is a finding: say which and abort, which libFuzzer reports as a crash and
// the replay program as a failed test.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
