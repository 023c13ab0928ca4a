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

LocatedError& LocatedError::Block(std::string name, Reason reason) {
  block_ = std::move(name);
  reason_ = reason;
  return *this;
}

LocatedError& LocatedError::Lines(std::vector<std::string> lines, bool on_standard_error) {
  lines_ = std::move(lines);
  on_standard_error_ = on_standard_error;
  return *this;
}
