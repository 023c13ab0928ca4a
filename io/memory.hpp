// The run's memory: the arrays a file's counts ask for are claimed against the
// machine's memory before any of their pages is touched, and an allocation
// that fails becomes the run's error, never an uncaught exception.
#pragma once

#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "io/error.hpp"

// The error of the operation `name` out of memory (`error`, or "NAME: not
// enough memory"), with the dialogue's line naming the operation.
LocatedError OutOfMemory(std::string_view name, std::optional<LocatedError> error = {});

// Claims `bytes` for arrays that the counts of the file `file` ask the
// operation `name` to fill. Claims add up over a run (from ResetMemoryClaims
// on); beyond the machine's physical memory the claim throws OutOfMemory.
void ClaimMemory(double bytes, const std::string& file, std::string_view name);
void ResetMemoryClaims();

// Runs an operation; an allocation in it that fails throws OutOfMemory.
template <class Operation>
decltype(auto) WithMemoryGuard(std::string_view name, Operation&& operation) {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    throw OutOfMemory(name);
  } catch (const std::length_error&) {
    throw OutOfMemory(name);
  }
}
