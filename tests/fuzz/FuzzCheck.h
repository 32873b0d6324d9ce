#pragma once

#include <cstdio>
#include <cstdlib>
#include <iostream>

// What every fuzz target shares: the loaders report damage on standard
// output, which at thousands of inputs a second is only noise, and a round
// trip that does not come back equal ends the run as a crash would, so that
// libFuzzer keeps the input.
inline void quietLoaders()
{
    std::cout.setstate(std::ios::failbit);
}

#define FUZZ_CHECK(condition)                                                                             \
    do {                                                                                                  \
        if (!(condition)) {                                                                               \
            std::fprintf(stderr, "%s:%d: round trip broken: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                                 \
        }                                                                                                 \
    } while (false)
