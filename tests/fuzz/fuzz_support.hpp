// Shared by the fuzz targets: a silent console, a fatal stop that unwinds
// back into the target, a fresh class-wide state per input, and a cap on
// single allocations that turns absurd sizes into std::bad_alloc, as a
// machine short of memory would.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "io/console.hpp"

namespace fuzz_support {

struct FatalStopped {};

inline constexpr std::size_t kAllocationCap = std::size_t{64} << 20;

// Whether the cap applies: only inside a target, never to the engine.
inline bool& CapActive() {
  static bool active = false;
  return active;
}

class TargetScope {
 public:
  TargetScope() : old_out_(std::cout.rdbuf(sink_.rdbuf())), old_err_(std::cerr.rdbuf(sink_.rdbuf())) {
    SetFatalStopHook([] { throw FatalStopped{}; });
    SimpleCfg::ResetLayout();
    FNC::ResetClassWide();
    CapActive() = true;
  }
  ~TargetScope() {
    CapActive() = false;
    SetFatalStopHook(nullptr);
    std::cout.rdbuf(old_out_);
    std::cerr.rdbuf(old_err_);
    std::cout.clear();
    std::cerr.clear();
  }
  TargetScope(const TargetScope&) = delete;
  TargetScope& operator=(const TargetScope&) = delete;

 private:
  std::ostringstream sink_;
  std::streambuf* old_out_;
  std::streambuf* old_err_;
};

// A broken property: reported, then an abort the engine records as a crash.
[[noreturn]] inline void Violated(const char* what) {
  CapActive() = false;
  std::fprintf(stderr, "fuzz property violated: %s\n", what);
  std::abort();
}

#define FUZZ_REQUIRE(condition) \
  ((condition) ? void(0) : ::fuzz_support::Violated(#condition " (" __FILE__ ")"))

}  // namespace fuzz_support
