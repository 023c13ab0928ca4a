// A report for the readers and writers under test: a refused file ends the
// test as the command line ends its run, a warning fails it.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "io/error.hpp"

struct TestReport final : Report {
  void Notice(std::string_view) override {}
  void Warn(Warning warning) override { ADD_FAILURE() << warning.Message(); }
  void Refused(const LocatedError& reason) override { throw reason; }
};
