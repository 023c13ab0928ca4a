// A constraint file read back as the writer lays it out, for checking; and
// the bounds of a window as the file can hold them.
#pragma once

#include <istream>
#include <string>
#include <vector>

struct ConstraintFile {
  std::vector<double> rmin, rmax;    // window of each kind
  std::vector<int> atom, count;      // per row: its atom (0-based) and entries
  std::vector<int> neighbour, kind;  // entries, row after row (0-based)
};

// Reads a ".fnc" file from `in` (opened on the file `name`); a line that does
// not hold what the layout puts there ends the run with a located message.
ConstraintFile ReadConstraintFile(std::istream& in, const std::string& name);

// A window's bound as the constraint file holds it without loss: the nearest
// number below `value` (above it for an upper bound) whose text in general
// notation takes at most six characters, so that a blank parts it from the
// bound before it in the file's fields of seven columns. A lower bound at or
// below 0 is 0, as no distance is shorter.
double WindowBound(double value, bool lower);
