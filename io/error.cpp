// The located error: the one place where a message's location is written;
// the errors of a run out of memory.
#include "io/error.hpp"

#include <unistd.h>

#include <utility>

#include "io/number_format.hpp"

namespace {

double g_claimed = 0;  // bytes claimed by the run so far

}  // namespace

std::string Location(const std::string& file, int line) {
  if (file.empty()) return {};
  return line > 0 ? file + ":" + std::to_string(line) + ": " : file + ": ";
}

LocatedError::LocatedError(std::string file, int line, std::string expected, std::string found)
    : file_(std::move(file)),
      line_(line),
      message_(Location(file_, line) + "expected " + expected + ", found " + found) {}

LocatedError LocatedError::Text(std::string file, int line, std::string text) {
  LocatedError error;
  error.file_ = std::move(file);
  error.line_ = line;
  error.message_ = Location(error.file_, line) + text;
  return error;
}

LocatedError OutOfMemory(std::string_view name, const std::string& file,
                         std::optional<LocatedError> error) {
  if (!error) error = LocatedError::Text(file, 0, "not enough memory for its counts");
  return error->Lines({std::string(name) + " - not enough memory!"});
}

void ClaimMemory(double bytes, const std::string& file, std::string_view name) {
  g_claimed += bytes;
  const double memory =
      static_cast<double>(sysconf(_SC_PHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGESIZE));
  if (g_claimed <= memory) return;
  throw OutOfMemory(
      name, file,
      LocatedError::Text(file, 0,
                         "the counts ask for about " + GeneralText(g_claimed / 1e9, 3) +
                             " GB of memory, more than the " + GeneralText(memory / 1e9, 3) +
                             " GB this machine has"));
}

void ResetMemoryClaims() { g_claimed = 0; }
