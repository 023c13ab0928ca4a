// A constraint file read back as the writer lays it out, for checking.
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
