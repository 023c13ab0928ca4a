// Outputs replaced whole. A regular (or new) output is written to a temporary
// file beside it and renamed over its name once complete, flushed and
// closed, so that a run that stops part-way (a failed write, a signal, a
// file-size limit) leaves the earlier file as it was, and two runs on one
// name never mix their files. A symbolic link keeps pointing where it did and
// its target is replaced, with the permission bits it had. A file that cannot
// be opened for writing is refused as before; devices, FIFOs and folders
// where no temporary file can be made are written directly.
#pragma once

#include <fstream>
#include <string>
#include <string_view>

#include "io/error.hpp"

// Opens the output `name` on `stream` as OpenOn does (the same flags, the
// same refusal when it cannot be written). The first call also has an
// interrupt or termination signal, or the end of the process, remove a
// temporary file not yet in place.
void OpenOutput(std::ofstream& stream, const std::string& name, Report& report);

// After the writer `writer` has written `name` and checked its stream:
// closes the stream and renames the temporary file over the name. A failure
// there is the writer's failed write (WriteFailure), and the temporary file
// is removed.
void PlaceOutput(std::ofstream& stream, std::string_view writer, const std::string& name);
