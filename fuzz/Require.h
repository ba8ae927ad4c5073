#pragma once
// A broken invariant is a crash libFuzzer keeps as an artifact.

#include <cstdio>
#include <cstdlib>

#define ORB_REQUIRE(cond)                                                            \
    do {                                                                             \
        if (!(cond)) {                                                               \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                            \
        }                                                                            \
    } while (0)
