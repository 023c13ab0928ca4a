// A GROMACS topology (.top or .itp) as far as constraints need it: each
// molecule type's atoms and bonds, and the molecules of the system in order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "io/error.hpp"

struct TopologyAtom {
  std::string name;     // atom name ("OW")
  std::string residue;  // residue name ("SOL")
  int residue_number = 0;
};

// A bond, constraint or settles pair between two atoms of a molecule,
// counted from 0, with the length the topology states for it, if any.
struct Bond {
  int first = 0;
  int second = 0;
  std::optional<double> length;
};

struct TopologyMoleculeType {
  std::string name;
  std::string file;  // where its [ moleculetype ] names it
  int line = 0;
  std::vector<TopologyAtom> atoms;
  std::vector<Bond> bonds;
};

// One line of [ molecules ]: `count` molecules of types[type].
struct TopologyMolecules {
  int type = 0;
  int count = 0;
  std::string file;
  int line = 0;
};

struct Topology {
  std::vector<TopologyMoleculeType> types;
  std::vector<TopologyMolecules> molecules;  // in file order
};

struct TopologyOptions {
  // Names defined before the first line, as with grompp's -D ("NAME" or
  // "NAME=VALUE").
  std::vector<std::string> defines;
  // Where an include that is not beside its including file is looked for,
  // in order (GMXLIB's folders, then the installed force fields).
  std::vector<std::string> include_folders;
};

// Reads the topology `path` with its includes; a topology that cannot be
// opened, or a folder, goes to `report`. Throws LocatedError for a missing
// include, an unknown molecule name, or a line it cannot read.
Topology ReadTopology(const std::string& path, const TopologyOptions& options, Report& report);

// The folders of GMXLIB (a colon-separated list, may be unset), then
// /usr/share/gromacs/top.
std::vector<std::string> GromacsIncludeFolders(const char* gmxlib);
