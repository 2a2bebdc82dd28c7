#pragma once

// The Windows test programs have no test framework (none is built for mingw): CHECK counts the
// failures, and the program's exit status reports them.

#include <cstdio>

inline int failures = 0;

#define CHECK(condition)                                                                                     \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::printf("FAILED %s:%d: %s\n", __FILE__, __LINE__, #condition);                               \
            ++failures;                                                                                      \
        }                                                                                                    \
    } while (0)
