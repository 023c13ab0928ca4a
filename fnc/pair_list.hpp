// The mode-2 pair list as a value, as a program that builds one hands it to
// the writer; the writer puts a "!" comment on every line, naming what the
// line's numbers are, so that a person can review and edit the file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

struct ListedPair {
  int kind = 1;  // counted from 1
  // Atoms of the configuration counted from 1: in the first molecule of the
  // type, then in the second (the same as in the first for a lone molecule).
  int first = 0, second = 0, first_next = 0, second_next = 0;
  // Residue and atom names ("SOL OW"), bonds apart, reference distance.
  std::string first_name, second_name;
  int depth = 1;
  double reference = 0;
  bool stated = false;  // the reference is a topology's length, not a mean
};

struct ListedType {
  std::string name;
  int molecules = 0;
  int atoms = 0;  // in one molecule
  std::vector<ListedPair> pairs;
};

struct ListedKind {
  std::string first_type, second_type;  // atom type names
  int depth = 1;
  double lower = 0, upper = 0;  // as WindowBound gives them
};

struct PairList {
  int atoms = 0;                  // of the whole configuration
  std::vector<ListedType> types;  // those with pairs
  std::vector<ListedKind> kinds;  // kind k at k - 1
};

// Writes `list` as a pair list file, the windows with six significant digits
// as the constraint file writes them (so they should be bounds that
// WindowBound gives).
void WritePairList(std::ostream& out, const PairList& list);
