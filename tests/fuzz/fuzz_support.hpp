// Shared by the fuzz targets: a silent console, a fatal stop that unwinds back
// into the target, a fresh class-wide state per input, and an allocation cap
// that turns absurd sizes into std::bad_alloc as a machine short of memory
// would, so the program's own out-of-memory handling is what gets exercised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>

#include "io/console.hpp"
#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"

namespace fuzz_support {

// Thrown by the stop hook where the program would end with status 1.
struct FatalStopped {};

// Allocations above this size fail while a target runs.
inline constexpr std::size_t kAllocationCap = std::size_t{64} << 20;

// Whether the cap applies; set only around the body of a target, so the
// fuzzing engine's own allocations are never refused.
inline bool& CapActive() {
  static bool active = false;
  return active;
}

// Discards everything written to it, counting bytes and line feeds.
class CountingBuffer : public std::streambuf {
 public:
  std::uint64_t bytes = 0;
  std::uint64_t lines = 0;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    ++bytes;
    if (traits_type::to_char_type(c) == '\n') ++lines;
    return c;
  }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    const char* end = text + count;
    for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '\n', end - p))); ++p) {
      ++lines;
    }
    bytes += static_cast<std::uint64_t>(count);
    return count;
  }
};

// For the lifetime of the object: console output discarded, the throwing
// stop hook installed, every class-wide member at its program-start value and
// the allocation cap active.
class TargetScope {
 public:
  TargetScope() {
    old_out_ = std::cout.rdbuf(&sink_);
    old_err_ = std::cerr.rdbuf(&sink_);
    SetFatalStopHook(&Stop);
    ResetClassState();
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

  static void ResetClassState() {
    SimpleCfg::ResetLayout();
    FNC::ResetClassWide();
  }

 private:
  static void Stop() { throw FatalStopped{}; }

  CountingBuffer sink_;
  std::streambuf* old_out_ = nullptr;
  std::streambuf* old_err_ = nullptr;
};

// Order-independent fingerprint of a set of (atom, neighbour, kind) entries:
// the sum of a well-mixed hash of each. The entries of a constraint set and
// the same entries with atom and neighbour exchanged have equal sums exactly
// when every pair is listed in both directions (up to a hash collision).
class PairFingerprint {
 public:
  void Add(std::uint32_t atom, std::uint32_t neighbour, std::uint32_t kind) {
    sum_ += Mix((std::uint64_t{atom} << 32 | neighbour) ^ Mix(kind + 0x9e3779b97f4a7c15u));
  }
  std::uint64_t sum() const { return sum_; }

 private:
  static std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9u;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebu;
    x ^= x >> 31;
    return x;
  }
  std::uint64_t sum_ = 0;
};

// A broken property: reported on standard error, then an abort that the
// fuzzing engine records as a crash.
[[noreturn]] inline void Violated(const char* what) {
  CapActive() = false;
  std::fputs("fuzz property violated: ", stderr);
  std::fputs(what, stderr);
  std::fputs("\n", stderr);
  std::abort();
}

#define FUZZ_REQUIRE(condition) \
  ((condition) ? void(0) : ::fuzz_support::Violated(#condition " (" __FILE__ ")"))

}  // namespace fuzz_support
