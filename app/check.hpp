// fncprep check: a configuration against a constraint file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "io/error.hpp"

struct CheckRequest {
  std::string cfg, fnc;
  std::string xyz, plot;  // optional outputs; empty for none
  bool json = false;      // the summary as one JSON object instead of the table
  // The names of the configuration's types, for the XYZ output, where given; else its title's.
  std::optional<std::vector<std::string>> names;
};

// Reports on standard output; returns 0 when every constraint holds, 1 when
// any fails. A file that cannot be read ends the run (LocatedError).
int RunCheck(const CheckRequest& request, Report& report);
