// Files on the run's reused streams. A stream starts every file with clear
// flags, or with the fail flag alone when the file cannot be opened; its
// format settings carry over from file to file. A file that cannot be opened,
// or a folder, goes to the run's report (Report::Refused).
#pragma once

#include <cerrno>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>

#include "io/error.hpp"

// Refuses the file `name` to `report` if it did not open (`opened`), for the
// system's reason `error`, or is a folder.
void RefuseUnusable(const std::string& name, bool opened, int error, Report& report);

template <class FileStream>
void OpenOn(FileStream& stream, const std::string& name, std::ios::openmode mode, Report& report) {
  if (stream.is_open()) stream.close();
  errno = 0;
  if (name.find('\0') == std::string::npos) stream.open(name, mode);
  const int error = errno;
  stream.clear(stream.is_open() ? std::ios::goodbit : std::ios::failbit);
  RefuseUnusable(name, stream.is_open(), error, report);
}

// Opens a file that is read twice, as OpenOn does. Anything but a regular
// file or a folder (a FIFO, a device) would not read the same the second
// time, or would wait for ever for a writer: it is refused as a file that
// cannot be opened.
void OpenTwiceReadable(std::ifstream& stream, const std::string& name, Report& report);

// The failed write of the writer whose name line is `writer` to `file`, for
// the system's reason `error` (0 if none).
LocatedError WriteFailure(std::string_view writer, const std::string& file, int error);

// After a writer's last line: flushes the stream; a write that failed throws
// WriteFailure.
void CheckWriteOutcome(std::string_view writer, std::ostream& stream, const std::string& file);
