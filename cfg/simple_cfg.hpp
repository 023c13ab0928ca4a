// The atomic configuration: a class-wide layout (counts, per-type starts, box
// length, and the shell parameters of the neighbour placement) and, per
// object, the coordinates stored type by type.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/min_distance.hpp"

class FNC;
class Report;

// The title grow gives the configuration it writes, by which a configuration
// of neighbours grown in shells is known.
inline constexpr std::string_view kGrownTitle = "FNC configuration";

// How the neighbours are placed: the seed the random numbers start from
// (the calendar clock's seconds without one); r, theta and phi drawn uniformly, or points
// uniform in the shell's volume; the distances within which a neighbour may
// come to no atom, by pair of types (none: any distance); and, for messages,
// the files of the central atoms and of the shell parameters.
struct ShellPlacement {
  std::optional<std::uint32_t> seed;
  bool uniform = false;
  MinDistances min_distance;
  std::string centres;
  std::string parameters;
};

class SimpleCfg {
 public:
  // Class-wide layout. `ni` and `typestart` are absent (empty) until a
  // configuration header or the shell parameters have been read; a present
  // `typestart` always has ntypes + 1 entries.
  static int natoms;
  static int ntypes;
  static std::vector<int> ni;
  static std::vector<int> typestart;
  static double boxlength;
  // The file the layout was read from, for messages.
  static std::string layoutfile;

  // Shell parameters of the neighbour placement (centraltype is 0-based).
  static int nmolecules;
  static int centraltype;
  static std::vector<int> nneighbours;
  static std::vector<double> rinner;
  static std::vector<double> router;
  // The lines of the shell file that gave the number of types, the neighbour
  // counts and the inner radii, for messages that judge them.
  struct ShellLines {
    int types = 0;
    int counts = 0;
    int inner = 0;
  };
  static ShellLines shelllines;

  // Marks the layout absent and the counts and shell parameters zero, as at
  // the start of a run; the run's memory claims start again.
  static void ResetLayout();
  static bool HasLayout() { return !typestart.empty(); }

  // Builds an object of the current layout's size; coordinates are unset
  // until load or the placement fills them. Its notices, its destructor's
  // line and the placement's warnings go to `report`.
  explicit SimpleCfg(Report& report);
  ~SimpleCfg();
  SimpleCfg(const SimpleCfg&) = delete;
  SimpleCfg& operator=(const SimpleCfg&) = delete;

  // Version 3 configuration file, on a stream opened on the file `name`.
  static bool GetParams_cfg(std::istream& in, const std::string& name, Report& report);
  void load(std::istream& in, const std::string& name);
  void save(std::ostream& out, const std::string& title, const std::string& name) const;

  // Shell parameter file: stores the shell parameters and redefines the
  // layout and the constraint counts for the grown configuration around the
  // central atoms of `centres`.
  static int GetFNCParameters(std::istream& in, const std::string& name, const SimpleCfg& centres,
                              Report& report);

  // Surrounds every central atom of `input` with neighbours in shells and
  // fills `fnc`.
  void ArrangeNeighbours(FNC& fnc, const SimpleCfg& input, const ShellPlacement& how = {});

  // Atom count and type count this object was built with.
  int size() const { return atomcount_; }
  int typecount() const { return static_cast<int>(typeptr.size()); }

  // x, y, z of every atom in flat atom order, and the first triple of each type.
  std::unique_ptr<double[]> coords;
  std::vector<double*> typeptr;

 private:
  Report& report_;
  int atomcount_ = 0;
};
