// The mode-2 pair list: counts of the molecule types, then one record per
// constrained pair of each type's first molecule, with the same pair in the
// second molecule. Everything that knows this file's layout is here.
#include <cstdint>
#include <limits>
#include <unordered_map>

#include "app/console.hpp"
#include "fnc/fnc.hpp"

namespace {

// Reads one record of `count` counts, each one refused when negative.
bool ReadCounts(std::istream& in, int count, std::vector<int>& values) {
  values.clear();
  for (int i = 0; i < count; ++i) {
    int value = 0;
    if (!ReadCount(in, value)) return false;
    values.push_back(value);
  }
  SkipLine(in);
  return true;
}

struct KindWindow {
  int uses = 0;
  double lower = 0;
  double upper = 0;
};

bool ReadPairRecords(std::istream& in) {
  // Windows are kept by kind as they are first named; the arrays indexed by
  // kind are laid out once every record has been read and the kinds are
  // known to be 1 .. nconstraints.
  std::unordered_map<int, KindWindow> windows;
  int highest_kind = 0;
  for (int k = 0; k < FNC::npairs; ++k) {
    int kind = 0;
    if (!ReadInt(in, kind)) return false;
    if (kind < 1 || kind > FNC::npairs) {
      RejectValue(in);
      return false;
    }
    KindWindow& window = windows[kind];
    if (window.uses == 0) {
      double lower = 0;
      double upper = 0;
      if (!ReadReal(in, lower)) return false;
      if (!ReadReal(in, upper)) return false;
      window.lower = lower;
      window.upper = upper;
      ++FNC::nconstraints;
      highest_kind = std::max(highest_kind, kind);
    }
    ++window.uses;
    FNC::pairtype.push_back(kind);
    SkipLine(in);
    int i1 = 0;
    int j1 = 0;
    int i2 = 0;
    int j2 = 0;
    if (!ReadInt(in, i1) || !ReadInt(in, j1) || !ReadInt(in, i2) || !ReadInt(in, j2)) {
      return false;
    }
    const std::int64_t first_step = std::int64_t{i2} - i1;
    const std::int64_t second_step = std::int64_t{j2} - j1;
    if (first_step < std::numeric_limits<int>::min() ||
        first_step > std::numeric_limits<int>::max() ||
        second_step < std::numeric_limits<int>::min() ||
        second_step > std::numeric_limits<int>::max()) {
      RejectValue(in);
      return false;
    }
    FNC::pairfirst.push_back(i1);
    FNC::pairsecond.push_back(j1);
    FNC::firstoffset.push_back(static_cast<int>(first_step));
    FNC::secondoffset.push_back(static_cast<int>(second_step));
    if (k + 1 < FNC::npairs) SkipLine(in);
  }
  // Every kind from 1 to the number of kinds must have been named.
  if (highest_kind != FNC::nconstraints) {
    RejectValue(in);
    return false;
  }
  FNC::typeuses.assign(static_cast<std::size_t>(FNC::nconstraints), 0);
  FNC::rmin.assign(static_cast<std::size_t>(FNC::nconstraints), 0);
  FNC::rmax.assign(static_cast<std::size_t>(FNC::nconstraints), 0);
  for (const auto& [kind, window] : windows) {
    FNC::typeuses[kind - 1] = window.uses;
    FNC::rmin[kind - 1] = window.lower;
    FNC::rmax[kind - 1] = window.upper;
  }
  return true;
}

bool ReadPairList(std::istream& in) {
  if (!ReadCount(in, FNC::natoms)) return false;
  SkipLine(in);
  int types = 0;
  if (!ReadCount(in, types)) return false;
  FNC::nmoltypes = types;
  SkipLine(in);
  if (!ReadCounts(in, types, FNC::nmol)) return false;
  if (!ReadCounts(in, types, FNC::molsize)) return false;
  for (const int size : FNC::molsize) FNC::maxmolsize = std::max(FNC::maxmolsize, size);
  // The pair counts are summed one by one so that a sum beyond the int range
  // is refused at the count that makes it so.
  FNC::molpairs.clear();
  FNC::npairs = 0;
  for (int j = 0; j < types; ++j) {
    int pairs = 0;
    if (!ReadCount(in, pairs)) return false;
    if (std::int64_t{FNC::npairs} + pairs > std::numeric_limits<int>::max()) {
      RejectValue(in);
      return false;
    }
    FNC::molpairs.push_back(pairs);
    FNC::npairs += pairs;
  }
  SkipLine(in);
  FNC::nconstraints = 0;
  return ReadPairRecords(in);
}

}  // namespace

int FNC::GetFNCParams2(std::istream& in) {
  if (!HasOpenFile(in) || in.fail()) {
    Say("FNC::GetFNCParams2 - file not open or non-existing.");
    FatalStop();
  }
  WithMemoryGuard("FNC::GetFNCParams2", [&] { return ReadPairList(in); });
  CheckReadOutcome("SimpleCfg::GetFNCParameters", in);
  return 1;
}
