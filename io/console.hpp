// Console and parameter-file conventions shared by every reader and writer:
// message lines, the fatal stop, opening files on the run's streams and the
// fixed warning messages.
#pragma once

#include <iostream>
#include <new>
#include <string>
#include <string_view>

// Ends the process after an error: "Quit (y)?->" on standard error, one
// character read and ignored, exit status 1. Destructors of the run's objects
// do not run.
[[noreturn]] void FatalStop();

// Tests and fuzz targets replace the final step (reading the answer and
// exiting) with a hook that must not return, for example one that throws.
using FatalStopHook = void (*)();
void SetFatalStopHook(FatalStopHook hook);

// Standard error unit-buffered; standard input and standard error tied to
// standard output, so pending output is visible before any read or error.
void SetUpConsole();

// One message line on standard output: the parts, a line feed and a flush.
template <class... Parts>
void Say(const Parts&... parts) {
  (std::cout << ... << parts) << std::endl;
}

// True unless the stream is a file stream with no file open.
bool HasOpenFile(const std::ios& stream);

// Reading and writing files on the run's reused streams: a stream starts every
// file with clear flags, or with the fail flag alone when the file cannot be
// opened. Its format settings carry over from file to file.
template <class FileStream>
void OpenOn(FileStream& stream, const std::string& name, std::ios::openmode mode) {
  if (stream.is_open()) stream.close();
  if (name.find('\0') == std::string::npos) stream.open(name, mode);
  if (stream.is_open()) {
    stream.clear();
  } else {
    stream.clear(std::ios::failbit);
  }
}

// "****WARNING****", the name line, the reason chosen from the stream's flags,
// "Cannot run this way, exiting...!", then the fatal stop.
[[noreturn]] void WarningBlock(std::string_view name, const std::ios& stream);

// Reports a reader's result: returns when a file is open on the stream and it
// has neither fail nor bad set, otherwise the warning block.
void CheckReadOutcome(std::string_view name, const std::ios& stream);

// The non-fatal notice: an empty line, "****WARNING****", the name line and
// the reason line.
void WarningNotice(std::string_view name, std::string_view reason);

// After a writer's last line: flushes the stream and, if any write failed,
// reports that the file may be incomplete and makes the fatal stop.
void CheckWriteOutcome(std::string_view name, std::ostream& stream);

// Runs an operation; an allocation that fails ends the run with one line
// naming the operation and the fatal stop, never with an uncaught exception.
template <class Operation>
decltype(auto) WithMemoryGuard(std::string_view name, Operation&& operation) {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  Say(name, " - not enough memory!");
  FatalStop();
}
