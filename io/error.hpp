// The one error of a run, thrown where it is found and rendered by the front
// end (also when memory runs out), and the warnings and notices a run hands
// to its front end's report.
#pragma once

#include <exception>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// "FILE:LINE: ", "FILE: " without a line, nothing without a file.
std::string Location(const std::string& file, int line);

class LocatedError : public std::exception {
 public:
  // What the dialogue prints before its fatal stop: the warning block of the
  // operation named `block` (none if empty) with the reason line of `reason`,
  // then `lines` of the operation's own.
  enum class Reason { kNone, kEndOfFile, kWrongFormat, kWritingFailed };
  struct Dialogue {
    std::string block;
    Reason reason = Reason::kNone;
    std::vector<std::string> lines;
    bool to_standard_error = false;
  };

  // "FILE:LINE: expected EXPECTED, found FOUND".
  LocatedError(std::string file, int line, std::string expected, std::string found);
  // "FILE:LINE: TEXT", for a problem that is not one value out of place.
  static LocatedError Text(std::string file, int line, std::string text);

  LocatedError& Block(std::string name, Reason reason) {
    dialogue_.block = std::move(name);
    dialogue_.reason = reason;
    return *this;
  }
  LocatedError& Lines(std::vector<std::string> lines, bool to_standard_error = false) {
    dialogue_.lines = std::move(lines);
    dialogue_.to_standard_error = to_standard_error;
    return *this;
  }

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& file() const { return file_; }
  int line() const { return line_; }
  const Dialogue& dialogue() const { return dialogue_; }

 private:
  LocatedError() = default;

  std::string file_;
  int line_ = 0;
  std::string message_;  // located, without "fncprep: "
  Dialogue dialogue_;
};

// Something suspicious that a run goes on with.
struct Warning {
  std::string file;
  int line = 0;
  std::string text;

  // "FILE:LINE: TEXT".
  std::string Message() const { return Location(file, line) + text; }
};

// What a run tells its front end besides its results and its error, handed
// down by the front end; the run never asks which front end it is.
class Report {
 public:
  virtual ~Report() = default;
  // A line the dialogue shows at this point of the run (a constructor's or
  // destructor's line, a notice); the command line drops it.
  virtual void Notice(std::string_view line) = 0;
  // Kept for the front end to report; with --strict, the run's error.
  virtual void Warn(Warning warning) = 0;
  // What the command line stops with and the dialogue goes on past: a file
  // that cannot be opened, or a folder (the reader or writer of the failed
  // stream then reports it in the dialogue); a value the dialogue reads
  // without a word but that cannot be meant (a malformed number, a value
  // more on a line, a window no distance lies in, a pair listed twice).
  virtual void Refused(const LocatedError& reason) = 0;
};

// The operation `name` out of memory for the counts of the file `file`:
// `error`, or "FILE: not enough memory for its counts", with the dialogue's
// line naming the operation.
LocatedError OutOfMemory(std::string_view name, const std::string& file,
                         std::optional<LocatedError> error = {});

// Runs an operation on the counts of the file `file`; an allocation in it
// that fails throws OutOfMemory.
template <class Operation>
decltype(auto) WithMemoryGuard(std::string_view name, const std::string& file,
                               Operation&& operation) {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    throw OutOfMemory(name, file);
  } catch (const std::length_error&) {
    throw OutOfMemory(name, file);
  }
}

// Claims `bytes` for arrays that the counts of the file `file` ask the
// operation `name` to fill, before any of their pages is touched. Claims add
// up over a run (from ResetMemoryClaims on); beyond the machine's physical
// memory the claim throws OutOfMemory.
void ClaimMemory(double bytes, const std::string& file, std::string_view name);
void ResetMemoryClaims();
