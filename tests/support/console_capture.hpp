// In-process test support: captured console streams, a fatal stop that throws
// instead of ending the process, and a fresh class-wide state per test.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>

#include "app/console.hpp"
#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"

namespace testing_support {

// Thrown by the test hook where the program would end with status 1.
struct FatalStopped {};

inline void ThrowOnFatalStop() { throw FatalStopped{}; }

// Standard output and standard error captured, standard input fed from a
// string, for the lifetime of the object. Installs the throwing stop hook and
// resets every class-wide member.
class ConsoleCapture {
 public:
  explicit ConsoleCapture(const std::string& input = "") : in_(input) {
    old_out_ = std::cout.rdbuf(out_.rdbuf());
    old_err_ = std::cerr.rdbuf(err_.rdbuf());
    old_in_ = std::cin.rdbuf(in_.rdbuf());
    SetFatalStopHook(&ThrowOnFatalStop);
    ResetClassState();
  }
  ~ConsoleCapture() {
    std::cout.rdbuf(old_out_);
    std::cerr.rdbuf(old_err_);
    std::cin.rdbuf(old_in_);
    std::cout.clear();
    std::cerr.clear();
    std::cin.clear();
    SetFatalStopHook(nullptr);
  }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  std::string out() const { return out_.str(); }
  std::string err() const { return err_.str(); }

  static void ResetClassState() {
    SimpleCfg::ResetLayout();
    SimpleCfg::nmolecules = 0;
    SimpleCfg::centraltype = 0;
    SimpleCfg::nneighbours.clear();
    SimpleCfg::rinner.clear();
    SimpleCfg::router.clear();
    FNC::ResetClassWide();
  }

 private:
  std::ostringstream out_;
  std::ostringstream err_;
  std::istringstream in_;
  std::streambuf* old_out_ = nullptr;
  std::streambuf* old_err_ = nullptr;
  std::streambuf* old_in_ = nullptr;
};

}  // namespace testing_support

// Asserts that `statement` ends in the fatal stop.
#define EXPECT_FATAL_STOP(statement) \
  EXPECT_THROW(statement, ::testing_support::FatalStopped)
