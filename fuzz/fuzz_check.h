#pragma once
// Checks of a fuzz target: a failed check is a crash, which libFuzzer keeps as an artifact
// and the corpus replay in the tests reports.
#include <cstdio>
#include <cstdlib>

#define FUZZ_FAIL(what)                                                                    \
    do {                                                                                   \
        std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", __FILE__, __LINE__, what); \
        std::abort();                                                                      \
    } while (false)

#define FUZZ_CHECK(condition)       \
    do {                            \
        if (!(condition))           \
            FUZZ_FAIL(#condition);  \
    } while (false)
