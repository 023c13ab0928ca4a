// A property of a fuzz target that does not hold: reported, then an abort
// that the fuzzing engine records as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition) \
  ((condition)                  \
       ? void(0)                \
       : (std::fprintf(stderr, "violated: %s (%s)\n", #condition, __FILE__), std::abort()))
