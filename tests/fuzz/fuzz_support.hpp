// A fuzz target's property that fails: reported, then an abort the engine records as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition) \
  ((condition)                  \
       ? void(0)                \
       : (std::fprintf(stderr, "violated: %s (%s)\n", #condition, __FILE__), std::abort()))
