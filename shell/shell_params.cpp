// The mode-1 shell parameter file: how many central atoms, their type, and for
// every type the neighbours per central atom and the shell radii. Everything
// that knows this file's layout is here.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "io/error.hpp"
#include "io/memory.hpp"
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

// The number of central atoms: every input atom can serve as one, and no
// more than those, so a larger number is reset at once. Returns -1 when it
// could not be read.
int ReadCentralCount(TextScanner& in, Report& report) {
  int n{};
  if (!in.ReadCount(n, "the number of central atoms")) return -1;
  const int available = SimpleCfg::natoms;
  const auto count = [](int atoms) { return std::to_string(atoms); };
  if (n > available) {
    report.Notice("The number of central atoms in the input *.cfg is " + count(available) +
                  " which is less than the number of molecules in the *.dat file (" + count(n) +
                  ").");
    report.Notice("The number of molecules will be reset to " + count(available) + "!");
    report.Warn({in.name(), in.line(),
                 count(n) + " central atoms asked for, but the configuration holds " +
                     count(available) + " atoms: " + count(available) + " are used"});
    n = available;
  } else if (n < available) {
    report.Warn({in.name(), in.line(),
                 "only the first " + count(n) + " of the " + count(available) +
                     " atoms of the configuration become central atoms"});
  }
  in.SkipLine();
  return n;
}

// The values of the file as read and judged: the central atoms, their type
// (0-based), the neighbours per central atom and the radii of each type.
struct ShellValues {
  int n = 0;
  int central = 0;
  std::vector<int> counts;
  std::int64_t sum = 0;  // of the counts
  std::vector<double> inner, outer;
  int inner_line = 0;
};

// Reads the types, the central type and the neighbour counts; returns false
// at a value that could not be read or is refused.
bool ReadCounts(TextScanner& in, ShellValues& values) {
  int types{};
  if (!in.ReadInt(types, "the number of types")) return false;
  if (types < 1) return in.Reject("the number of types (1 or more)"), false;
  in.SkipLine();
  int central{};
  if (!in.ReadInt(central, "the type of the central atoms")) return false;
  if (central < 1 || central > types) {
    return in.Reject("the type of the central atoms (1 to " + std::to_string(types) + ")"), false;
  }
  values.central = central - 1;
  in.SkipLine();
  for (int t = 0, count{}; t < types; ++t) {
    if (!in.ReadCount(count, OfType("the number of neighbours of type ", t))) return false;
    values.counts.push_back(count);
    values.sum += count;
  }
  // The grown configuration's atoms and entries must fit the int counts. The
  // entries, two per neighbour, are at least as many as the atoms (n of them
  // central) unless there are no neighbours, and then the atoms are n.
  if (2 * std::int64_t{values.n} * values.sum > kLargestCount) {
    return in.Reject(
               "neighbour counts for which the grown configuration's atoms and entries fit "
               "2147483647"),
           false;
  }
  in.SkipLine();
  return true;
}

// Refuses radii that would place neighbours at infinite coordinates.
void RejectInfiniteRadii(TextScanner& in, const ShellValues& values) {
  const double box = SimpleCfg::boxlength;
  for (std::size_t t = 0; t < values.counts.size(); ++t) {
    const double inner = values.inner[t];
    const double outer = values.outer[t];
    if (values.counts[t] > 0 &&
        !(std::isfinite(inner) && std::isfinite(outer) && std::isfinite(outer - inner) &&
          std::isfinite(inner / box) && std::isfinite(outer / box))) {
      return in.Reject("shell radii of type " + std::to_string(t + 1) +
                           " whose difference and quotients by the box length are finite",
                       GeneralText(inner) + " and " + GeneralText(outer));
    }
  }
}

// Reads and judges the whole file; returns false where it stopped.
bool ReadShellValues(TextScanner& in, ShellValues& values, Report& report) {
  values.n = ReadCentralCount(in, report);
  if (values.n < 0 || !ReadCounts(in, values)) return false;
  const int types = static_cast<int>(values.counts.size());
  if (!ReadRadii(in, types, "the inner radius of type ", values.inner)) return false;
  values.inner_line = in.line();
  if (!ReadRadii(in, types, "the outer radius of type ", values.outer)) return false;
  RejectInfiniteRadii(in, values);
  return !in.stream().fail();
}

// The shell parameters, and the layouts of the grown configuration and its
// constraints: the central atoms then the neighbours in each type's block,
// one window per type with neighbours.
void SetGrownLayout(const ShellValues& values, const std::string& name, Report& report) {
  const int n = values.n;
  const int types = static_cast<int>(values.counts.size());
  SimpleCfg::nmolecules = n;
  SimpleCfg::ntypes = types;
  SimpleCfg::centraltype = values.central;
  SimpleCfg::nneighbours = values.counts;
  SimpleCfg::rinner = values.inner;
  SimpleCfg::router = values.outer;
  SimpleCfg::ni.clear();
  SimpleCfg::typestart.assign(1, 0);
  FNC::nconstraints = 0;
  for (int t = 0; t < types; ++t) {
    if (values.counts[t] > 0) {
      ++FNC::nconstraints;
      FNC::rmin.push_back(values.inner[t]);
      FNC::rmax.push_back(values.outer[t]);
      if (values.inner[t] > values.outer[t]) {
        report.Warn({name, values.inner_line,
                     "the inner radius of type " + std::to_string(t + 1) +
                         " lies beyond its outer radius"});
      }
    }
    const int atoms = n * values.counts[t] + (t == values.central ? n : 0);
    SimpleCfg::ni.push_back(atoms);
    SimpleCfg::typestart.push_back(SimpleCfg::typestart.back() + atoms);
  }
  const int available = SimpleCfg::natoms;
  SimpleCfg::natoms = static_cast<int>(n * (1 + values.sum));
  FNC::natoms = SimpleCfg::natoms;
  FNC::nentries = static_cast<int>(2 * n * values.sum);
  // The loaded central atoms, and per atom of the grown configuration its
  // row count, coordinates, row and row start, and its entries.
  ClaimMemory(24.0 * available + 36.0 * FNC::natoms + 8.0 * FNC::nentries, name);
  FNC::ncoord.assign(static_cast<std::size_t>(FNC::natoms), 1);
}

}  // namespace

int SimpleCfg::GetFNCParameters(std::istream& in, const std::string& name, Report& report) {
  WithMemoryGuard("SimpleCfg::GetFNCParameters", [&] {
    TextScanner scan(in, name);
    ShellValues values;
    const bool read = ReadShellValues(scan, values, report);
    scan.Check("SimpleCfg::GetFNCParameters");
    if (read) SetGrownLayout(values, name, report);
  });
  return 1;
}
