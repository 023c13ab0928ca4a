// The mode-1 shell parameter file: how many central atoms, their type, and for
// every type the neighbours per central atom and the shell radii. Everything
// that knows this file's layout is here.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "io/error.hpp"
#include "io/number_format.hpp"
#include "io/text_reader.hpp"

namespace {

// One value per type, then the rest of the line. Values are kept as they are
// read, so a type count far beyond the file's values sizes nothing.
// Returns whether all of them were read.
bool ReadRadii(TextScanner& in, const char* what, const std::string& which,
               std::vector<double>& radii, Report& report) {
  const int types = SimpleCfg::ntypes;
  for (double radius{}; static_cast<int>(radii.size()) < types &&
                        in.ReadReal(radius, OfType(what, static_cast<int>(radii.size())));) {
    radii.push_back(radius);
  }
  in.EndRecord(report, TheValues(types, which + " radius", which + " radii"));
  in.SkipLine();
  return static_cast<int>(radii.size()) == types;
}

// The number of central atoms: every input atom can serve as one, and no
// more than those, so a larger number is reset at once.
bool ReadCentralCount(TextScanner& in, Report& report) {
  int n{};
  if (!in.ReadCount(n, "the number of central atoms")) return false;
  const std::string asked = std::to_string(n), held = std::to_string(SimpleCfg::natoms);
  if (n > SimpleCfg::natoms) {
    report.Notice("The number of central atoms in the input *.cfg is " + held +
                  " which is less than the number of molecules in the *.dat file (" + asked + ").");
    report.Notice("The number of molecules will be reset to " + held + "!");
    report.Warn({in.name(), in.line(),
                 asked + " central atoms asked for, but the configuration holds " + held +
                     " atoms: " + held + " are used"});
    n = SimpleCfg::natoms;
  } else if (n < SimpleCfg::natoms) {
    report.Warn({in.name(), in.line(),
                 "only the first " + asked + " of the " + held +
                     " atoms of the configuration become central atoms"});
  }
  SimpleCfg::nmolecules = n;
  in.EndRecord(report, "the number of central atoms");
  in.SkipLine();
  return true;
}

// The types, the central type and the neighbour counts.
bool ReadCounts(TextScanner& in, Report& report) {
  int types{};
  if (!in.ReadInt(types, "the number of types")) return false;
  if (types < 1) return in.Reject("the number of types (1 or more)"), false;
  SimpleCfg::ntypes = types;
  SimpleCfg::shelllines.types = in.line();
  in.EndRecord(report, "the number of types");
  in.SkipLine();
  int central{};
  if (!in.ReadInt(central, "the type of the central atoms")) return false;
  if (central < 1 || central > types) {
    return in.Reject("the type of the central atoms (1 to " + std::to_string(types) + ")"), false;
  }
  SimpleCfg::centraltype = central - 1;
  in.EndRecord(report, "the type of the central atoms");
  in.SkipLine();
  std::int64_t sum = 0;
  for (int t = 0, count{}; t < types; ++t) {
    if (!in.ReadCount(count, OfType("the number of neighbours of type ", t))) return false;
    SimpleCfg::nneighbours.push_back(count);  // empty: read once a run
    sum += count;
  }
  SimpleCfg::shelllines.counts = in.line();
  // The grown configuration's atoms and entries must fit the int counts. The
  // entries, two per neighbour, are at least as many as the atoms (n of them
  // central) unless there are no neighbours, and then the atoms are n.
  if (2 * std::int64_t{SimpleCfg::nmolecules} * sum > std::numeric_limits<int>::max()) {
    return in.Reject(
               "neighbour counts for which the grown configuration's atoms and entries "
               "fit 2147483647"),
           false;
  }
  in.EndRecord(report, TheValues(types, "number of neighbours", "numbers of neighbours"));
  in.SkipLine();
  return true;
}

// The largest magnitude of a coordinate of the central atoms (box units).
double Farthest(const SimpleCfg& centres) {
  const int n = std::min(SimpleCfg::nmolecules, centres.size());
  const double* const end = centres.coords.get() + 3 * static_cast<std::size_t>(std::max(n, 0));
  double farthest = 0;
  for (const double* x = centres.coords.get(); x < end; ++x)
    farthest = std::max(farthest, std::fabs(*x));
  return farthest;
}

// Reads and judges the shell parameters: radii that would place neighbours
// of `centres` at infinite coordinates are refused; a negative inner radius
// and shells turned inside out go to the report, which the dialogue reads on
// past. Returns false where the reading stopped.
bool ReadShellParameters(TextScanner& in, const SimpleCfg& centres, Report& report) {
  if (!ReadCentralCount(in, report) || !ReadCounts(in, report)) return false;
  if (!ReadRadii(in, "the inner radius of type ", "inner", SimpleCfg::rinner, report)) {
    return false;
  }
  const int inner_line = SimpleCfg::shelllines.inner = in.line();
  if (!ReadRadii(in, "the outer radius of type ", "outer", SimpleCfg::router, report)) {
    return false;
  }
  const double box = SimpleCfg::boxlength;
  for (int t = 0; t < SimpleCfg::ntypes; ++t) {
    const double inner = SimpleCfg::rinner[t];
    const double outer = SimpleCfg::router[t];
    if (SimpleCfg::nneighbours[t] > 0 &&
        !(std::isfinite(inner) && std::isfinite(outer) && std::isfinite(outer - inner) &&
          std::isfinite(inner / box) && std::isfinite(outer / box))) {
      return in.Reject("shell radii of type " + std::to_string(t + 1) +
                           " whose difference and quotients by the box length are finite",
                       GeneralText(inner) + " and " + GeneralText(outer)),
             false;
    }
  }
  // A neighbour lies no farther out than its centre and the larger radius;
  // in the length unit that must stay finite.
  const double farthest = Farthest(centres);
  for (int t = 0; t < SimpleCfg::ntypes; ++t) {
    const double reach = std::max(std::fabs(SimpleCfg::rinner[t]), std::fabs(SimpleCfg::router[t]));
    if (SimpleCfg::nneighbours[t] > 0 && !std::isfinite((farthest + reach / box) * box)) {
      return in.Reject(
                 "shell radii of type " + std::to_string(t + 1) +
                     " that place every neighbour at finite coordinates, with a central "
                     "atom at a coordinate of " +
                     GeneralText(farthest * box),
                 GeneralText(SimpleCfg::rinner[t]) + " and " + GeneralText(SimpleCfg::router[t])),
             false;
    }
  }
  if (in.stream().fail()) return false;
  for (int t = 0; t < SimpleCfg::ntypes; ++t) {
    if (SimpleCfg::nneighbours[t] == 0) continue;  // its radii are not used
    const double inner = SimpleCfg::rinner[t];
    const double outer = SimpleCfg::router[t];
    const std::string radius =
        "the inner radius of type " + std::to_string(t + 1) + ", " + GeneralText(inner) + ", ";
    if (inner < 0) {
      report.Refused(LocatedError::Text(in.name(), inner_line,
                                        radius + "is negative: no distance lies below 0"));
    }
    if (inner > outer) {
      report.Refused(LocatedError::Text(in.name(), inner_line,
                                        radius + "lies beyond its outer radius, " +
                                            GeneralText(outer) +
                                            ": no distance lies in the window it gives"));
    }
  }
  return true;
}

// The layouts of the grown configuration and its constraints: in each type's
// block the central atoms, then the neighbours; a window for each type with
// neighbours.
void SetGrownLayout(const std::string& name) {
  SimpleCfg::layoutfile = FNC::pairlist = name;
  const int n = SimpleCfg::nmolecules;
  std::int64_t sum = 0;
  SimpleCfg::ni.clear();
  SimpleCfg::typestart.assign(1, 0);
  for (int t = 0; t < SimpleCfg::ntypes; ++t) {
    const int count = SimpleCfg::nneighbours[t];
    if (count > 0) {
      FNC::rmin.push_back(SimpleCfg::rinner[t]);
      FNC::rmax.push_back(SimpleCfg::router[t]);
    }
    sum += count;
    const int atoms = n * count + (t == SimpleCfg::centraltype ? n : 0);
    SimpleCfg::ni.push_back(atoms);
    SimpleCfg::typestart.push_back(SimpleCfg::typestart.back() + atoms);
  }
  const int available = SimpleCfg::natoms;
  FNC::nconstraints = static_cast<int>(FNC::rmin.size());
  SimpleCfg::natoms = static_cast<int>(n * (1 + sum));
  FNC::natoms = SimpleCfg::natoms;
  FNC::nentries = static_cast<int>(2 * n * sum);
  // The loaded central atoms, and per atom of the grown configuration its
  // row count, coordinates, row and row start, and its entries.
  ClaimMemory(24.0 * available + 36.0 * FNC::natoms + 8.0 * FNC::nentries, name,
              "SimpleCfg::GetFNCParameters");
  FNC::ncoord.assign(static_cast<std::size_t>(FNC::natoms), 1);
}

}  // namespace

int SimpleCfg::GetFNCParameters(std::istream& in, const std::string& name, const SimpleCfg& centres,
                                Report& report) {
  WithMemoryGuard("SimpleCfg::GetFNCParameters", name, [&] {
    TextScanner scan(in, name);
    const bool read = ReadShellParameters(scan, centres, report);
    scan.Check("SimpleCfg::GetFNCParameters");
    if (read) SetGrownLayout(name);
  });
  return 1;
}
