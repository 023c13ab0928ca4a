// In-process test support: captured console streams, a fatal stop that throws
// instead of ending the process, and a fresh class-wide state per test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "io/console.hpp"
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

// The class-wide layout of a configuration with `counts` atoms per type in
// a box of `box`, as reading such a header leaves it.
inline void SetCfgLayout(const std::vector<int>& counts, double box = 1) {
  SimpleCfg::ntypes = static_cast<int>(counts.size());
  SimpleCfg::ni = counts;
  SimpleCfg::typestart.assign(1, 0);
  for (const int count : counts)
    SimpleCfg::typestart.push_back(SimpleCfg::typestart.back() + count);
  SimpleCfg::natoms = SimpleCfg::typestart.back();
  SimpleCfg::boxlength = box;
}

// Input streams that no reader may read: one with no file opened, one whose
// file failed to open, and text streams already failed or bad.
struct UnreadableStreams {
  explicit UnreadableStreams(const std::string& text) : failed(text), bad(text) {
    failed.setstate(std::ios::failbit);
    bad.setstate(std::ios::badbit);
  }
  std::vector<std::istream*> All() { return {&never_opened, &missing, &failed, &bad}; }

  std::ifstream never_opened;
  std::ifstream missing{"/nonexistent-folder-for-fncprep-tests/none.dat"};
  std::istringstream failed, bad;
};

// An output device that takes `capacity` characters and then refuses every
// write, as a full disk does; it can also refuse to flush. Unbuffered, so
// `taken` is exactly what reached the device.
class LimitedDevice : public std::streambuf {
 public:
  explicit LimitedDevice(std::size_t capacity = SIZE_MAX, bool refuse_sync = false)
      : capacity_(capacity), refuse_sync_(refuse_sync) {}
  std::string taken;
  int syncs = 0;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (taken.size() >= capacity_) return traits_type::eof();
    taken.push_back(traits_type::to_char_type(c));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    const auto k = static_cast<std::size_t>(n) < capacity_ - taken.size()
                       ? static_cast<std::size_t>(n)
                       : capacity_ - taken.size();
    taken.append(s, k);
    return static_cast<std::streamsize>(k);
  }
  int sync() override {
    ++syncs;
    return refuse_sync_ ? -1 : 0;
  }

 private:
  std::size_t capacity_;
  bool refuse_sync_;
};

}  // namespace testing_support

// Asserts that `statement` ends in the fatal stop.
#define EXPECT_FATAL_STOP(statement) EXPECT_THROW(statement, ::testing_support::FatalStopped)
