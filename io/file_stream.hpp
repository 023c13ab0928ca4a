// Files on the run's reused streams. A stream starts every file with clear
// flags, or with the fail flag alone when the file cannot be opened; its
// format settings carry over from file to file. A file that cannot be opened,
// or a folder, goes to the run's report (Report::Refused).
//
// Outputs are replaced whole. A regular (or new) output is written to a
// temporary file beside it and renamed over its name once complete, flushed
// and closed, so that a run that stops part-way (a failed write, a signal, a
// file-size limit) leaves the earlier file as it was, and two runs on one
// name never mix their files. A symbolic link keeps pointing where it did and
// its target is replaced, with the permission bits it had. A file that cannot
// be opened for writing is refused as before; devices, FIFOs and folders
// where no temporary file can be made are written directly.
#pragma once

#include <cerrno>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>

#include "io/error.hpp"

// Refuses the file `name` to `report` if it did not open (`opened`, for the
// system's reason `error`) or is a folder.
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

// After a writer's last line: flushes the stream; a write that failed throws
// the writer's failed write (the writer named by its name line).
void CheckWriteOutcome(std::string_view writer, std::ostream& stream, const std::string& file);

// Opens the output `name` on `stream` as OpenOn does (the same flags, the
// same refusal when it cannot be written). The first call also has an
// interrupt or termination signal, or the end of the process, remove a
// temporary file not yet in place.
void OpenOutput(std::ofstream& stream, const std::string& name, Report& report);

// After the writer `writer` has written `name` and checked its stream:
// closes the stream and renames the temporary file over the name. A failure
// there is the writer's failed write, and the temporary file is removed.
void PlaceOutput(std::ofstream& stream, std::string_view writer, const std::string& name);
