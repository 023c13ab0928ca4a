// Files on the run's reused streams. A stream starts every file with clear
// flags, or with the fail flag alone when the file cannot be opened; its
// format settings carry over from file to file. An open returns what a run
// that stops at a file it cannot use would say about it; the front end's
// report decides whether the run stops there.
#pragma once

#include <cerrno>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "io/error.hpp"

// Why the file `name` is refused: it did not open (`opened`), for the
// system's reason `error`, or it is a folder. Nothing when it can be used.
std::optional<LocatedError> Refusal(const std::string& name, bool opened, int error);

template <class FileStream>
std::optional<LocatedError> OpenOn(FileStream& stream, const std::string& name,
                                   std::ios::openmode mode) {
  if (stream.is_open()) stream.close();
  errno = 0;
  if (name.find('\0') == std::string::npos) stream.open(name, mode);
  const int error = errno;
  const bool opened = stream.is_open();
  stream.clear(opened ? std::ios::goodbit : std::ios::failbit);
  return Refusal(name, opened, error);
}

// Opens a file that is read twice, as OpenOn does. Anything but a regular
// file or a folder (a FIFO, a device) would not read the same the second
// time, or would wait for ever for a writer: it is refused before it is
// opened, as a file that cannot be opened.
std::optional<LocatedError> OpenTwiceReadable(std::ifstream& stream, const std::string& name);

// The failed write of the writer whose name line is `writer` to the file
// `file`, for the system's reason `error` (0 if none).
LocatedError WriteFailure(std::string_view writer, const std::string& file, int error);

// After a writer's last line: flushes the stream and throws WriteFailure if
// any write failed.
void CheckWriteOutcome(std::string_view writer, std::ostream& stream, const std::string& file);
