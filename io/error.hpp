// The one error of a run, thrown where it is found and rendered by the front
// end: where (file and line), what was expected and what was found, and what
// the dialogue prints for the case. Warnings are values of the same shape that
// a run hands to its report, with its notices.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

// "FILE:LINE: ", "FILE: " without a line, nothing without a file.
std::string Location(const std::string& file, int line);

class LocatedError : public std::exception {
 public:
  // The reason line of the dialogue's warning block: none (a read error),
  // the end of the file, a wrong format, or a failed write.
  enum class Reason { kNone, kEndOfFile, kWrongFormat, kWritingFailed };

  // "FILE:LINE: expected EXPECTED, found FOUND".
  LocatedError(std::string file, int line, std::string expected, std::string found);
  // "FILE:LINE: TEXT", for a problem that is not one value out of place.
  static LocatedError Text(std::string file, int line, std::string text);

  // What the dialogue prints before its fatal stop: the warning block of the
  // operation whose name line is `name`, with the reason line of `reason`;
  // and the operation's own fixed lines, on standard output or standard error.
  LocatedError& Block(std::string name, Reason reason);
  LocatedError& Lines(std::vector<std::string> lines, bool on_standard_error = false);

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& file() const { return file_; }
  int line() const { return line_; }
  const std::string& block() const { return block_; }  // empty: no warning block
  Reason reason() const { return reason_; }
  const std::vector<std::string>& lines() const { return lines_; }
  bool on_standard_error() const { return on_standard_error_; }

 private:
  LocatedError() = default;

  std::string file_;
  int line_ = 0;
  std::string message_;  // located, without "fncprep: "
  std::string block_;
  Reason reason_ = Reason::kNone;
  std::vector<std::string> lines_;
  bool on_standard_error_ = false;
};

// Something suspicious that a run goes on with.
struct Warning {
  std::string file;
  int line = 0;
  std::string text;

  // "FILE:LINE: TEXT".
  std::string Message() const { return Location(file, line) + text; }
};

// How a run tells its front end what is neither its result nor its error.
// The front end makes one and hands it down to the readers, builders and
// writers, which never ask which front end it is.
class Report {
 public:
  virtual ~Report() = default;
  // A line that the dialogue's transcript shows at this point of the run
  // (the constructors' and destructors' lines, the notices of a reset count
  // or of a file not open); the command line does not show it.
  virtual void Notice(std::string_view line) = 0;
  // Kept for the front end, which reports it; with --strict, the run's error.
  virtual void Warn(Warning warning) = 0;
  // A file that cannot be opened, or a folder given as a file: the command
  // line stops with it; the dialogue goes on, and the reader or writer that
  // gets the failed stream reports it.
  virtual void Refused(const LocatedError& reason) = 0;
};
