// fncprep convert: a structure or a configuration from one file format into
// another, the format told by each file's extension.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "io/error.hpp"
#include "structure/typing.hpp"

enum class Format { kGro, kPdb, kCif, kXyz, kCfg };

// The format of `file` by its extension, in any case: .gro, .pdb or .ent,
// .cif or .mmcif, .xyz or .extxyz, .cfg; none for any other.
std::optional<Format> FormatOf(const std::string& file);

struct ConvertRequest {
  std::string in, out;  // of formats FormatOf knows; `out` not mmCIF
  TypeBy types = TypeBy::kElement;
  std::optional<std::vector<std::string>> names;  // of the types, in their order
  std::optional<double> box;                      // the edge of a cubic box for a file without one
};

// Reads `in` and writes `out`, replaced whole, then prints the types (number,
// name, atoms) and the length unit on standard output.
void RunConvert(const ConvertRequest& request, Report& report);

// The structure of `file`, of a format FormatOf knows other than the
// configuration, in a cubic box of edge `box` where one is given: a file that
// gives its own box is then a located error.
Structure ReadStructure(const std::string& file, std::optional<double> box, Report& report);

// `names` as the names of `types` types: a located error unless there are as many.
std::vector<std::string> NamesForTypes(const std::vector<std::string>& names, std::size_t types);
