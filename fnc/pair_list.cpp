// The mode-2 pair list: counts of the molecule types, then one record per
// constrained pair of each type's first molecule, with the same pair in the
// second molecule. Everything that knows this file's layout is here: its
// reader, and the writer of a list that a program built.
#include "fnc/pair_list.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <unordered_map>

#include "fnc/fnc.hpp"
#include "io/error.hpp"
#include "io/number_format.hpp"
#include "io/text_reader.hpp"

namespace {

// Reads one record of `count` counts (the number of `things` of each type),
// each one refused when negative.
void ReadCounts(TextScanner& in, int count, const char* what, const std::string& things,
                std::vector<int>& values, Report& report) {
  values.clear();
  for (int i = 0, value{}; i < count; ++i) {
    if (!in.ReadCount(value, OfType(what, i))) return;
    values.push_back(value);
  }
  in.EndRecord(report, TheValues(count, "number of " + things, "numbers of " + things));
  in.SkipLine();
}

struct KindWindow {
  int uses = 0;
  double lower{};
  double upper{};
};

// Windows are kept by kind as they are first named; the arrays indexed by
// kind are laid out once every record has been read and the kinds are known
// to be 1 .. nconstraints.
using Windows = std::unordered_map<int, KindWindow>;

// The kind of pair `k` and, where it is named for the first time, its
// window; returns the kind, or 0 when it could not be read or is refused.
int ReadKind(TextScanner& in, int k, Windows& windows, Report& report) {
  const std::string pair = "pair " + std::to_string(k + 1);
  int kind{};
  if (!in.ReadInt(kind, "the kind of " + pair)) return 0;
  if (kind < 1 || kind > FNC::npairs) {
    in.Reject("the kind of " + pair + " (1 to " + std::to_string(FNC::npairs) + ")");
    return 0;
  }
  KindWindow& window = windows[kind];
  if (window.uses++ > 0) return kind;
  const std::string of_kind = " of kind " + std::to_string(kind);
  in.ReadReal(window.lower, "the lower bound" + of_kind);
  if (!in.ReadReal(window.upper, "the upper bound" + of_kind)) return 0;
  in.EndRecord(report, "the kind of " + pair + " and its window");
  if (window.lower > window.upper) {
    report.Refused(LocatedError::Text(
        in.name(), in.line(),
        "the window" + of_kind + ", " + GeneralText(window.lower) + " .. " +
            GeneralText(window.upper) +
            ", has its lower bound above its upper bound: no distance lies in it"));
  }
  ++FNC::nconstraints;
  return kind;
}

void ReadPairRecords(TextScanner& in, Report& report) {
  Windows windows;
  // Each pair of a type by its atoms in the first molecule, with its line.
  std::map<std::pair<int, int>, int> listed;
  int highest_kind{};
  for (int k = 0, type = 0, of_type = 0; k < FNC::npairs; ++k, ++of_type) {
    for (; of_type == FNC::molpairs[type]; of_type = 0) ++type, listed.clear();
    const int kind = ReadKind(in, k, windows, report);
    if (kind == 0) return;
    highest_kind = std::max(highest_kind, kind);
    FNC::pairtype.push_back(kind);
    in.SkipLine();
    const std::string pair = "pair " + std::to_string(k + 1);
    int i1{}, j1{}, i2{}, j2{};
    in.ReadInt(i1, "the first atom of " + pair);
    in.ReadInt(j1, "the second atom of " + pair);
    in.ReadInt(i2, "the first atom of " + pair + " in the second molecule");
    if (!in.ReadInt(j2, "the second atom of " + pair + " in the second molecule")) return;
    // The last pair's line is looked at once the file has been read.
    if (k + 1 < FNC::npairs) in.EndRecord(report, "the 4 atoms of " + pair);
    FNC::pairline.push_back(in.line());
    FNC::pairfirst.push_back(i1);
    FNC::pairsecond.push_back(j1);
    FNC::firstoffset.push_back(std::int64_t{i2} - i1);
    FNC::secondoffset.push_back(std::int64_t{j2} - j1);
    const auto [first, added] = listed.emplace(std::minmax(i1, j1), in.line());
    if (!added) {
      report.Refused(LocatedError::Text(
          in.name(), in.line(),
          "the atoms " + std::to_string(i1) + " and " + std::to_string(j1) +
              " are paired again (first on line " + std::to_string(first->second) +
              "): each would list the other twice"));
    }
    if (k + 1 < FNC::npairs) in.SkipLine();
  }
  // Every kind from 1 to the number of kinds must have been named.
  if (highest_kind != FNC::nconstraints) {
    return in.Reject("every kind from 1 to " + std::to_string(highest_kind) + " named",
                     "only " + std::to_string(FNC::nconstraints) + " of them");
  }
  FNC::typeuses.assign(static_cast<std::size_t>(FNC::nconstraints), 0);
  FNC::rmin.assign(static_cast<std::size_t>(FNC::nconstraints), 0);
  FNC::rmax.assign(static_cast<std::size_t>(FNC::nconstraints), 0);
  for (const auto& [kind, window] : windows) {
    FNC::typeuses[kind - 1] = window.uses;
    FNC::rmin[kind - 1] = window.lower;
    FNC::rmax[kind - 1] = window.upper;
  }
}

// The scanner keeps its first failure and fails every later read, so a
// reader stops early only where a value it could not read would size a loop
// or be judged.
void ReadPairList(TextScanner& in, Report& report) {
  in.ReadCount(FNC::natoms, "the number of atoms");
  in.EndRecord(report, "the number of atoms");
  in.SkipLine();
  int types{};
  in.ReadCount(types, "the number of molecule types");
  in.EndRecord(report, "the number of molecule types");
  FNC::nmoltypes = types;
  in.SkipLine();
  ReadCounts(in, types, "the number of molecules of type ", "molecules", FNC::nmol, report);
  ReadCounts(in, types, "the number of atoms in a molecule of type ", "atoms in a molecule",
             FNC::molsize, report);
  for (const int size : FNC::molsize) FNC::maxmolsize = std::max(FNC::maxmolsize, size);
  // The pair counts are summed one by one so that a sum beyond the int range
  // is refused at the count that makes it so.
  for (int j = 0, pairs{}; j < types; ++j) {
    if (!in.ReadCount(pairs, OfType("the number of pairs in a molecule of type ", j))) return;
    if (std::int64_t{FNC::npairs} + pairs > std::numeric_limits<int>::max()) {
      return in.Reject("numbers of pairs whose sum fits 2147483647");
    }
    FNC::molpairs.push_back(pairs);
    FNC::npairs += pairs;
  }
  in.EndRecord(report,
               TheValues(types, "number of pairs in a molecule", "numbers of pairs in a molecule"));
  in.SkipLine();
  ReadPairRecords(in, report);
}

}  // namespace

int FNC::GetFNCParams2(std::istream& in, const std::string& name, Report& report) {
  if (in.fail()) {
    throw LocatedError::Text(name, 0, "not open")
        .Lines({"FNC::GetFNCParams2 - file not open or non-existing."});
  }
  pairlist = name;
  WithMemoryGuard("FNC::GetFNCParams2", name, [&] {
    TextScanner scan(in, name);
    ReadPairList(scan, report);
    scan.Check("SimpleCfg::GetFNCParameters");
    if (npairs > 0) scan.EndRecord(report, "the 4 atoms of pair " + std::to_string(npairs));
    if (scan.MoreValues()) {
      report.Warn({name, scan.line(),
                   "more values follow the " + std::to_string(npairs) +
                       " pairs the counts declare; they are not read"});
    }
  });
  return 1;
}

namespace {

// A record's numbers, then its comment in a column of its own where they
// leave room.
void Line(std::ostream& out, std::string numbers, const std::string& comment) {
  numbers.resize(std::max<std::size_t>(numbers.size(), 23), ' ');
  out << numbers << " ! " << comment << '\n';
}

// Numbers separated by blanks.
std::string Joined(const std::vector<std::int64_t>& numbers) {
  std::string text;
  for (const std::int64_t number : numbers) {
    if (!text.empty()) text += ' ';
    text += std::to_string(number);
  }
  return text;
}

}  // namespace

void WritePairList(std::ostream& out, const PairList& list) {
  std::string names = "molecule types with constrained pairs:";
  std::vector<std::int64_t> molecules, atoms, pairs;
  for (const ListedType& type : list.types) {
    names.append(" ").append(type.name);
    molecules.push_back(type.molecules);
    atoms.push_back(type.atoms);
    pairs.push_back(static_cast<std::int64_t>(type.pairs.size()));
  }
  Line(out, std::to_string(list.atoms), "atoms in the configuration");
  Line(out, std::to_string(list.types.size()), names);
  Line(out, Joined(molecules), "molecules of each type");
  Line(out, Joined(atoms), "atoms in one molecule of each type");
  Line(out, Joined(pairs), "constrained pairs in one molecule of each type");
  std::vector<bool> named(list.kinds.size(), false);
  for (const ListedType& type : list.types) {
    for (std::size_t p = 0; p < type.pairs.size(); ++p) {
      const ListedPair& pair = type.pairs[p];
      const auto k = static_cast<std::size_t>(pair.kind - 1);
      std::string numbers = std::to_string(pair.kind);
      std::string comment = "kind " + numbers;
      comment.append(": ").append(list.kinds[k].first_type).append("-");
      comment.append(list.kinds[k].second_type).append(", depth ");
      comment.append(std::to_string(list.kinds[k].depth));
      if (!named[k]) {
        named[k] = true;
        numbers.append(" ").append(GeneralText(list.kinds[k].lower));
        numbers.append(" ").append(GeneralText(list.kinds[k].upper));
        comment += ", its window";
      }
      Line(out, numbers, comment);
      std::string names_of_pair = type.name + " pair " + std::to_string(p + 1);
      names_of_pair.append(": ").append(pair.first_name).append(" - ").append(pair.second_name);
      names_of_pair.append(", depth ").append(std::to_string(pair.depth)).append(", reference ");
      names_of_pair.append(GeneralText(pair.reference))
          .append(pair.stated ? " (topology)" : " (mean)");
      Line(out, Joined({pair.first, pair.second, pair.first_next, pair.second_next}),
           names_of_pair);
    }
  }
}
