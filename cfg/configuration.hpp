// A version 3 configuration as a plain value, for the command line: what the
// file holds (title, cubic box, atoms type by type in box units) and the names
// of the types, which it keeps in its title ("water types: O H"). Read and
// written through SimpleCfg's reader and writer.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "io/error.hpp"
#include "io/file_stream.hpp"
#include "structure/structure.hpp"

struct TypedConfiguration {
  std::string title;               // without the names of the types
  std::string unit;                // of the box; empty where it is not stated
  double box = 0;                  // the cubic box's edge
  std::vector<std::string> names;  // one a type; empty where the types have none
  std::vector<int> counts;         // atoms of each type
  std::vector<double> coords;      // x, y, z of each atom in box units, type by type
};

// A configuration file's title that names its types: `title` without any
// earlier names, then "types: O H".
std::string TitleWithNames(std::string_view title, const std::vector<std::string>& names);
// The names of such a title; none where it names none.
std::vector<std::string> NamesInTitle(std::string_view title);

// The title line of a configuration file and its box's three defining vectors
// (from `line`), which SimpleCfg's reader passes over.
struct CfgHeading {
  std::string title;
  Cell vectors{};
  int line = 0;
};
CfgHeading ReadCfgHeading(std::istream& in, const std::string& name);

// The edge of the box of the configuration file `file`; a box that is not
// cubic is a located error that names its edges and angles. The command line
// asks this of every configuration it reads; the dialogue takes the first
// edge, as it always has.
double CubicBoxOf(const std::string& file, Report& report);

// The configuration file `file` read as `check` reads it (GetParams_cfg, then
// load), its box cubic, the names of its types from its title where it names
// as many as it has. Type counts that do not add up to the atoms (a warning of
// the reader) are cut to the atoms, and atoms past them are one more type.
TypedConfiguration ReadConfiguration(const std::string& file, Report& report);

// Writes `config` to `file` through SimpleCfg::save, with the names of its
// types in its title, as one of the run's `outputs` (replaced whole when
// they are placed).
void WriteConfiguration(const TypedConfiguration& config, const std::string& file,
                        RunOutputs& outputs, Report& report);
