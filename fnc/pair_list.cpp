// The mode-2 pair list: counts of the molecule types, then one record per
// constrained pair of each type's first molecule, with the same pair in the
// second molecule. Everything that knows this file's layout is here.
#include <cstdint>
#include <limits>
#include <unordered_map>

#include "fnc/fnc.hpp"
#include "io/console.hpp"
#include "io/text_reader.hpp"

namespace {

// Reads one record of `count` counts, each one refused when negative.
bool ReadCounts(TextScanner& in, int count, std::vector<int>& values) {
  values.clear();
  for (int i = 0; i < count; ++i) {
    int value = 0;
    if (!in.ReadCount(value)) return false;
    values.push_back(value);
  }
  in.SkipLine();
  return true;
}

struct KindWindow {
  int uses = 0;
  double lower = 0;
  double upper = 0;
};

bool ReadPairRecords(TextScanner& in) {
  // Windows are kept by kind as they are first named; the arrays indexed by
  // kind are laid out once every record has been read and the kinds are
  // known to be 1 .. nconstraints.
  std::unordered_map<int, KindWindow> windows;
  int highest_kind = 0;
  for (int k = 0; k < FNC::npairs; ++k) {
    int kind = 0;
    if (!in.ReadInt(kind)) return false;
    if (kind < 1 || kind > FNC::npairs) {
      in.Reject();
      return false;
    }
    KindWindow& window = windows[kind];
    if (window.uses == 0) {
      double lower = 0;
      double upper = 0;
      if (!in.ReadReal(lower)) return false;
      if (!in.ReadReal(upper)) return false;
      window.lower = lower;
      window.upper = upper;
      ++FNC::nconstraints;
      highest_kind = std::max(highest_kind, kind);
    }
    ++window.uses;
    FNC::pairtype.push_back(kind);
    in.SkipLine();
    int i1 = 0;
    int j1 = 0;
    int i2 = 0;
    int j2 = 0;
    if (!in.ReadInt(i1) || !in.ReadInt(j1) || !in.ReadInt(i2) || !in.ReadInt(j2)) {
      return false;
    }
    FNC::pairfirst.push_back(i1);
    FNC::pairsecond.push_back(j1);
    FNC::firstoffset.push_back(std::int64_t{i2} - i1);
    FNC::secondoffset.push_back(std::int64_t{j2} - j1);
    if (k + 1 < FNC::npairs) in.SkipLine();
  }
  // Every kind from 1 to the number of kinds must have been named.
  if (highest_kind != FNC::nconstraints) {
    in.Reject();
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

bool ReadPairList(TextScanner& in) {
  if (!in.ReadCount(FNC::natoms)) return false;
  in.SkipLine();
  int types = 0;
  if (!in.ReadCount(types)) return false;
  FNC::nmoltypes = types;
  in.SkipLine();
  if (!ReadCounts(in, types, FNC::nmol)) return false;
  if (!ReadCounts(in, types, FNC::molsize)) return false;
  for (const int size : FNC::molsize) FNC::maxmolsize = std::max(FNC::maxmolsize, size);
  // The pair counts are summed one by one so that a sum beyond the int range
  // is refused at the count that makes it so.
  FNC::molpairs.clear();
  FNC::npairs = 0;
  for (int j = 0; j < types; ++j) {
    int pairs = 0;
    if (!in.ReadCount(pairs)) return false;
    if (std::int64_t{FNC::npairs} + pairs > std::numeric_limits<int>::max()) {
      in.Reject();
      return false;
    }
    FNC::molpairs.push_back(pairs);
    FNC::npairs += pairs;
  }
  in.SkipLine();
  FNC::nconstraints = 0;
  return ReadPairRecords(in);
}

}  // namespace

int FNC::GetFNCParams2(std::istream& in) {
  if (!HasOpenFile(in) || in.fail()) {
    Say("FNC::GetFNCParams2 - file not open or non-existing.");
    FatalStop();
  }
  WithMemoryGuard("FNC::GetFNCParams2", [&] {
    TextScanner scan(in);
    return ReadPairList(scan);
  });
  CheckReadOutcome("SimpleCfg::GetFNCParameters", in);
  return 1;
}
