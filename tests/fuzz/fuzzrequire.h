#pragma once
// A broken property names itself and aborts, so that the fuzzer saves the input.
#include <cstdio>
#include <cstdlib>

namespace corvane::fuzz {

inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

} // namespace corvane::fuzz

#define REQUIRE(condition) corvane::fuzz::require(condition, #condition)
