// The one error of a run, thrown where it is found and rendered by the front
// end: where (file and line), what was expected and what was found. Warnings
// are values of the same shape that the front end reports.
#pragma once

#include <exception>
#include <string>

// "FILE:LINE: ", "FILE: " without a line, nothing without a file.
std::string Location(const std::string& file, int line);

class LocatedError : public std::exception {
 public:
  // "FILE:LINE: expected EXPECTED, found FOUND".
  LocatedError(std::string file, int line, std::string expected, std::string found);
  // "FILE:LINE: TEXT", for a problem that is not one value out of place.
  static LocatedError Text(std::string file, int line, std::string text);

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& file() const { return file_; }
  int line() const { return line_; }

 private:
  LocatedError() = default;

  std::string file_;
  int line_ = 0;
  std::string message_;  // located, without "fncprep: "
};

// Something suspicious that a run goes on with.
struct Warning {
  std::string file;
  int line = 0;
  std::string text;

  // "FILE:LINE: TEXT".
  std::string Message() const { return Location(file, line) + text; }
};
