// The mode-1 shell parameter file: how many central atoms, their type, and for
// every type the neighbours per central atom and the shell radii. Everything
// that knows this file's layout is here.
#include <cstdint>
#include <limits>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "io/console.hpp"
#include "io/text_reader.hpp"

namespace {

constexpr std::int64_t kLargestCount = std::numeric_limits<int>::max();

template <class Value, class Read>
bool ReadList(TextScanner& in, int count, std::vector<Value>& values, Read read) {
  values.clear();
  for (int t = 0; t < count; ++t) {
    Value value{};
    if (!(in.*read)(value)) return false;
    values.push_back(value);
  }
  in.SkipLine();
  return true;
}

bool ReadShellParameters(TextScanner& in) {
  int n = 0;
  if (!in.ReadCount(n)) return false;
  // Every input atom can serve as a central atom, and no more than those.
  if (n > SimpleCfg::natoms) {
    Say("The number of central atoms in the input *.cfg is ", SimpleCfg::natoms,
        " which is less than the number of molecules in the *.dat file (", n, ").");
    Say("The number of molecules will be reset to ", SimpleCfg::natoms, "!");
    n = SimpleCfg::natoms;
  }
  SimpleCfg::nmolecules = n;
  in.SkipLine();

  int types = 0;
  if (!in.ReadInt(types)) return false;
  if (types < 1) {
    in.Reject();
    return false;
  }
  SimpleCfg::ntypes = types;
  in.SkipLine();

  int central = 0;
  if (!in.ReadInt(central)) return false;
  if (central < 1 || central > types) {
    in.Reject();
    return false;
  }
  SimpleCfg::centraltype = central - 1;
  in.SkipLine();

  std::vector<int>& counts = SimpleCfg::nneighbours;
  counts.clear();
  std::int64_t sum = 0;
  int kinds = 0;
  for (int t = 0; t < types; ++t) {
    int count = 0;
    if (!in.ReadCount(count)) return false;
    counts.push_back(count);
    sum += count;
    if (count > 0) ++kinds;
  }
  // The grown configuration's atoms and entries must fit the int counts.
  if (n * (1 + sum) > kLargestCount || 2 * std::int64_t{n} * sum > kLargestCount) {
    in.Reject();
    return false;
  }
  in.SkipLine();
  FNC::nconstraints = kinds;
  SimpleCfg::natoms = static_cast<int>(n * (1 + sum));
  FNC::natoms = SimpleCfg::natoms;
  FNC::nentries = static_cast<int>(2 * n * sum);

  if (!ReadList(in, types, SimpleCfg::rinner, &TextScanner::ReadReal)) return false;
  if (!ReadList(in, types, SimpleCfg::router, &TextScanner::ReadReal)) return false;

  FNC::rmin.clear();
  FNC::rmax.clear();
  SimpleCfg::ni.clear();
  SimpleCfg::typestart.assign(1, 0);
  for (int t = 0; t < types; ++t) {
    if (counts[t] > 0) {
      FNC::rmin.push_back(SimpleCfg::rinner[t]);
      FNC::rmax.push_back(SimpleCfg::router[t]);
    }
    const int atoms = n * counts[t] + (t == SimpleCfg::centraltype ? n : 0);
    SimpleCfg::ni.push_back(atoms);
    SimpleCfg::typestart.push_back(SimpleCfg::typestart.back() + atoms);
  }
  FNC::ncoord.assign(static_cast<std::size_t>(FNC::natoms), 1);
  return true;
}

}  // namespace

int SimpleCfg::GetFNCParameters(std::istream& in) {
  WithMemoryGuard("SimpleCfg::GetFNCParameters", [&] {
    TextScanner scan(in);
    return ReadShellParameters(scan);
  });
  CheckReadOutcome("SimpleCfg::GetFNCParameters", in);
  return 1;
}
