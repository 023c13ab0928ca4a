// The mode-1 shell parameter file: how many central atoms, their type, and for
// every type the neighbours per central atom and the shell radii. Everything
// that knows this file's layout is here.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "io/console.hpp"
#include "io/number_format.hpp"
#include "io/text_reader.hpp"

namespace {

constexpr std::int64_t kLargestCount = std::numeric_limits<int>::max();

// One value per type, then the rest of the line. Values are kept as they are
// read, so a type count far beyond the file's values sizes nothing.
// Returns whether all of them were read.
bool ReadRadii(TextScanner& in, int types, const char* what, std::vector<double>& radii) {
  radii.clear();
  for (double radius{}; static_cast<int>(radii.size()) < types &&
                        in.ReadReal(radius, OfType(what, static_cast<int>(radii.size())));) {
    radii.push_back(radius);
  }
  in.SkipLine();
  return static_cast<int>(radii.size()) == types;
}

void ReadShellParameters(TextScanner& in) {
  const std::string& name = in.name();
  int n{};
  if (!in.ReadCount(n, "the number of central atoms")) return;
  // Every input atom can serve as a central atom, and no more than those.
  const int available = SimpleCfg::natoms;
  const std::string line = name + ":" + std::to_string(in.line()) + ": ";
  if (n > available) {
    if (InDialogue()) {
      Say("The number of central atoms in the input *.cfg is ", available,
          " which is less than the number of molecules in the *.dat file (", n, ").");
      Say("The number of molecules will be reset to ", available, "!");
    }
    Warn(line + std::to_string(n) + " central atoms asked for, but the configuration holds " +
         std::to_string(available) + " atoms: " + std::to_string(available) + " are used");
    n = available;
  } else if (n < available) {
    Warn(line + "only the first " + std::to_string(n) + " of the " + std::to_string(available) +
         " atoms of the configuration become central atoms");
  }
  SimpleCfg::nmolecules = n;
  in.SkipLine();

  int types{};
  if (!in.ReadInt(types, "the number of types")) return;
  if (types < 1) return in.Reject("the number of types (1 or more)");
  SimpleCfg::ntypes = types;
  in.SkipLine();

  int central{};
  if (!in.ReadInt(central, "the type of the central atoms")) return;
  if (central < 1 || central > types) {
    return in.Reject("the type of the central atoms (1 to " + std::to_string(types) + ")");
  }
  SimpleCfg::centraltype = central - 1;
  in.SkipLine();

  std::vector<int>& counts = SimpleCfg::nneighbours;  // empty: read once a run
  std::int64_t sum{};
  int kinds{};
  for (int t = 0, count{}; t < types; ++t) {
    if (!in.ReadCount(count, OfType("the number of neighbours of type ", t))) return;
    counts.push_back(count);
    sum += count;
    if (count > 0) ++kinds;
  }
  // The grown configuration's atoms and entries must fit the int counts. The
  // entries, two per neighbour, are at least as many as the atoms (n of them
  // central) unless there are no neighbours, and then the atoms are n.
  if (2 * std::int64_t{n} * sum > kLargestCount) {
    return in.Reject(
        "neighbour counts for which the grown configuration's atoms and entries fit 2147483647");
  }
  in.SkipLine();
  FNC::nconstraints = kinds;
  SimpleCfg::natoms = static_cast<int>(n * (1 + sum));
  FNC::natoms = SimpleCfg::natoms;
  FNC::nentries = static_cast<int>(2 * n * sum);

  if (!ReadRadii(in, types, "the inner radius of type ", SimpleCfg::rinner)) return;
  const int inner_line = in.line();
  if (!ReadRadii(in, types, "the outer radius of type ", SimpleCfg::router)) return;
  // Radii that would place neighbours at infinite coordinates.
  const double box = SimpleCfg::boxlength;
  for (int t = 0; t < types; ++t) {
    const double inner = SimpleCfg::rinner[t];
    const double outer = SimpleCfg::router[t];
    if (counts[t] > 0 &&
        !(std::isfinite(inner) && std::isfinite(outer) && std::isfinite(outer - inner) &&
          std::isfinite(inner / box) && std::isfinite(outer / box))) {
      return in.Reject("shell radii of type " + std::to_string(t + 1) +
                           " whose difference and quotients by the box length are finite",
                       GeneralText(inner) + " and " + GeneralText(outer));
    }
  }

  SimpleCfg::ni.clear();
  SimpleCfg::typestart.assign(1, 0);
  for (int t = 0; t < types; ++t) {
    if (counts[t] > 0) {
      FNC::rmin.push_back(SimpleCfg::rinner[t]);
      FNC::rmax.push_back(SimpleCfg::router[t]);
      if (SimpleCfg::rinner[t] > SimpleCfg::router[t]) {
        Warn(name + ":" + std::to_string(inner_line) + ": the inner radius of type " +
             std::to_string(t + 1) + " lies beyond its outer radius");
      }
    }
    const int atoms = n * counts[t] + (t == SimpleCfg::centraltype ? n : 0);
    SimpleCfg::ni.push_back(atoms);
    SimpleCfg::typestart.push_back(SimpleCfg::typestart.back() + atoms);
  }
  // The loaded central atoms, and per atom of the grown configuration its
  // row count, coordinates, row and row start, and its entries.
  ClaimMemory(24.0 * available + 36.0 * FNC::natoms + 8.0 * FNC::nentries, name);
  FNC::ncoord.assign(static_cast<std::size_t>(FNC::natoms), 1);
}

}  // namespace

int SimpleCfg::GetFNCParameters(std::istream& in, const std::string& name) {
  WithMemoryGuard("SimpleCfg::GetFNCParameters", [&] {
    TextScanner scan(in, name);
    ReadShellParameters(scan);
    CheckReadOutcome("SimpleCfg::GetFNCParameters", scan);
  });
  // A failed reading has stopped the run.
  return !in.fail();
}
