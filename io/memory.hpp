// The run's memory: the arrays a file's counts ask for are claimed against the
// machine's memory before any of their pages is touched, and an allocation
// that fails becomes the run's error, never an uncaught exception.
#pragma once

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "io/error.hpp"

// A claim beyond the machine's memory (see ClaimMemory), with its error.
class BeyondMemory : public std::bad_alloc {
 public:
  explicit BeyondMemory(LocatedError error) : error_(std::move(error)) {}
  const LocatedError& error() const { return error_; }

 private:
  LocatedError error_;
};

// Claims `bytes` for arrays the run is about to fill, which the counts of the
// file `file` ask for. Claims add up over a run (from ResetMemoryClaims on);
// once they pass the machine's physical memory the claim fails as an
// allocation does, by throwing BeyondMemory, rather than the system ending
// the process when the pages are touched.
void ClaimMemory(double bytes, const std::string& file);
void ResetMemoryClaims();

// The run's error for the allocation `failure` in the operation `name`: in the
// dialogue the one line naming the operation.
LocatedError OutOfMemory(std::string_view name, const std::exception& failure);

// Runs an operation; an allocation in it that fails throws OutOfMemory.
template <class Operation>
decltype(auto) WithMemoryGuard(std::string_view name, Operation&& operation) {
  try {
    return operation();
  } catch (const std::bad_alloc& failure) {
    throw OutOfMemory(name, failure);
  } catch (const std::length_error& failure) {
    throw OutOfMemory(name, failure);
  }
}
