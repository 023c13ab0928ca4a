// The located error: the one place where a message's location is written.
#include "io/error.hpp"

#include <utility>

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
