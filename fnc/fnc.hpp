// The fixed-neighbour constraint set: one row per atom, each row a list of
// neighbour atoms with the constraint kind (distance window) of each pair.
// Counts and the mode-2 working arrays are class-wide; the rows are per object.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class Report;

class FNC {
 public:
  // Shared by both modes.
  static int natoms;                // rows, one per atom
  static int nconstraints;          // constraint kinds (distance windows)
  static int nentries;              // neighbour entries of all rows
  static std::vector<int> ncoord;   // entries of each row
  static std::vector<double> rmin;  // window of each kind, entry kind - 1
  static std::vector<double> rmax;

  // Pair list of mode 2, as read.
  static int nmoltypes;
  static int maxmolsize;
  static int npairs;
  static std::vector<int> nmol, molsize, molpairs;
  static std::vector<int> pairtype, typeuses, pairfirst, pairsecond;
  // For messages: the file the constraint counts come from (the pair list,
  // or the shell parameters) and each pair's line in the pair list.
  static std::string pairlist;
  static std::vector<int> pairline;
  // Index steps, exact in 64 bits: i2 - i1 of two 32-bit indices may not fit 32.
  static std::vector<std::int64_t> firstoffset, secondoffset;

  // Constraint patterns of mode 2: one slot per central atom of a type's
  // first molecule. The slots of type j are rows patfirst[j] .. patfirst[j] +
  // patsize[j] - 1; each slot's neighbours lie in a row of their own length.
  static std::vector<int> patfirst;
  static std::vector<int> patcentral, patcount, patsize, patline;
  static std::vector<std::int64_t> patoffset;
  static std::vector<std::vector<int>> patneighbour, patconstrainttype;
  static std::vector<std::vector<std::int64_t>> patneighbouroffset;
  static std::vector<int> covered;

  // Returns every class-wide member to its program-start value.
  static void ResetClassWide();

  // Builds the rows from the current counts, with a notice for each count
  // that is missing. Its notices and its destructor's line go to `report`.
  explicit FNC(Report& report);
  ~FNC();
  FNC(const FNC&) = delete;
  FNC& operator=(const FNC&) = delete;

  // Mode 2: the pair list (on a stream opened on the file `name`), the
  // patterns and their repetition over all molecules.
  static int GetFNCParams2(std::istream& in, const std::string& name, Report& report);
  // Prints each type's pattern on `patterns`; its notice of the atoms no
  // pattern reaches (`covered` 0) goes to `report`.
  static void AssemblePatterns(Report& report, std::ostream& patterns);
  void ExpandPatterns();

  // Writes the set as a ".fnc" file, on a stream opened on the file `name`.
  void rawsave(std::ostream& out, const std::string& name) const;

  std::vector<int> centralindex;    // atom of each row, 0-based
  std::vector<int> liststart;       // mode 2: first entry of each row
  std::vector<int> rowstart;        // mode 1: first row of each type's neighbours
  std::vector<int> neighbours;      // neighbour atoms, 0-based, row after row
  std::vector<int> constrainttype;  // constraint kinds, 0-based, beside them

 private:
  Report& report_;
};
