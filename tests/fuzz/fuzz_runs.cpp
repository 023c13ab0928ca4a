// Fuzz target: whole runs of both modes on fuzzed files end in a normal return or the program's own
// stop, never in a crash, a sanitizer report or a hang; a finished run holds every pair in the rows
// of both its atoms and writes files of the layout's length; and a run gives the same messages and
// files whatever ran before it in the process, and leaves nothing that changes the next run. Input:
// '1', the .incfg text, a byte 0x01 and the shell parameters; or any other byte and the pair list
// of mode 2.
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "fuzz_support.hpp"
#include "io/error.hpp"

namespace {

constexpr int kMostAtoms = 100000;

bool cap_active = false;  // a run's allocations above 64 MiB fail, as when memory is short

// A run's report, as the command line's: no notices; warnings shown with the
// run's messages; a file the run cannot use, its error.
struct FuzzReport final : Report {
  explicit FuzzReport(std::ostream& shown) : shown(shown) {}
  void Notice(std::string_view) override {}
  void Warn(Warning warning) override { shown << warning.Message() << '\n'; }
  void Refused(const LocatedError& reason) override { throw reason; }
  std::ostream& shown;
};

long Lines(const std::ostringstream& text) { return std::ranges::count(text.str(), '\n'); }

// Rows are the atoms; every pair stands in both its atoms' rows with one kind.
void CheckAndWrite(const FNC& fnc, std::ostringstream& out) {
  std::vector<std::tuple<int, int, int>> forward, backward;
  std::vector<int> atoms(fnc.centralindex);
  for (std::size_t row = 0, e = 0; row < atoms.size(); ++row) {
    for (int k = 0; k < FNC::ncoord[row]; ++k, ++e) {
      FUZZ_REQUIRE(fnc.constrainttype[e] >= 0 && fnc.constrainttype[e] < FNC::nconstraints);
      forward.emplace_back(fnc.centralindex[row], fnc.neighbours[e], fnc.constrainttype[e]);
      backward.emplace_back(fnc.neighbours[e], fnc.centralindex[row], fnc.constrainttype[e]);
    }
  }
  std::sort(atoms.begin(), atoms.end());
  std::sort(forward.begin(), forward.end());
  std::sort(backward.begin(), backward.end());
  for (std::size_t i = 0; i < atoms.size(); ++i) FUZZ_REQUIRE(atoms[i] == static_cast<int>(i));
  FUZZ_REQUIRE(forward.size() == fnc.neighbours.size() && forward == backward);
  fnc.rawsave(out, "s.fnc");
  FUZZ_REQUIRE(Lines(out) == 9 + 3L * FNC::natoms);
}

void Grow(const std::string& incfg, const std::string& parameters, Report& report) {
  std::istringstream header(incfg), whole(incfg), shells(parameters);
  SimpleCfg::GetParams_cfg(header, "s.incfg", report);
  if (SimpleCfg::natoms > kMostAtoms) return;
  SimpleCfg centres(report);
  centres.load(whole, "s.incfg");
  SimpleCfg::GetFNCParameters(shells, "s.dat", centres, report);
  if (FNC::natoms > kMostAtoms || FNC::nentries > kMostAtoms) return;
  SimpleCfg grown(report);
  FNC fnc(report);
  // Both placements; a minimum distance where few neighbours keep it cheap.
  const bool uniform = parameters.size() % 2 == 0;
  MinDistances gap;
  gap.others = FNC::nentries < 2000 && parameters.size() % 3 == 0 ? 0.3 : 0;
  grown.ArrangeNeighbours(fnc, centres, {20240601, uniform, gap, "s.incfg", "s.dat"});
  std::ostringstream cfg, constraints;
  grown.save(cfg, "FNC configuration", "s.cfg");
  FUZZ_REQUIRE(Lines(cfg) == 18 + 4L * SimpleCfg::ntypes + SimpleCfg::natoms);
  constraints.precision(cfg.precision());  // the windows as a run writes them
  CheckAndWrite(fnc, constraints);
  std::cout << cfg.str() << constraints.str();
}

void Expand(const std::string& pairs, Report& report) {
  std::istringstream list(pairs);
  FNC::GetFNCParams2(list, "s.dat", report);
  for (int k = 0; k < FNC::nconstraints; ++k)  // the uses of each kind
    FUZZ_REQUIRE(FNC::typeuses[k] == std::ranges::count(FNC::pairtype, k + 1));
  if (FNC::natoms > kMostAtoms) return;
  FNC::AssemblePatterns(report, std::cout);
  FNC fnc(report);
  fnc.ExpandPatterns();
  std::ostringstream out;
  CheckAndWrite(fnc, out);
  std::cout << out.str();
}

// What a run shows: its messages, its failure and the files it writes.
std::string Run(const std::string& text) {
  const auto split = text.find('\x01');
  // A silent console; the run's error unwinds back here.
  std::ostringstream shown;
  std::streambuf* const out = std::cout.rdbuf(shown.rdbuf());
  std::streambuf* const err = std::cerr.rdbuf(shown.rdbuf());
  FuzzReport report(shown);
  SimpleCfg::ResetLayout();
  FNC::ResetClassWide();
  cap_active = true;
  try {
    if (text.empty() || text[0] != '1') {
      Expand(text.substr(text.empty() ? 0 : 1), report);
    } else if (split != std::string::npos) {
      Grow(text.substr(1, split - 1), text.substr(split + 1), report);
    }
  } catch (const LocatedError& error) {
    shown << error.what();
  }
  cap_active = false;
  std::cout.rdbuf(out);
  std::cerr.rdbuf(err);
  return shown.str();
}

// A pair list of two molecule types, two kinds and a free atom, and a
// configuration of three centres with neighbours of three types: runs that
// leave the counts and arrays of both modes filled.
const std::string kPairListRun =
    "2\n6\n2\n1 1\n2 3\n1 2\n1 1 2\n1 2 3 4\n2 3 4\n3 4 6 7\n2\n4 5 7 8\n";
const std::string kShellRun =
    "1\ncentres\n\n\n\n\n\n 3 atoms\n 1 type\n\n\n\n\n\n 20 box\n\n\n\n 3 atoms of type 1\n\n\n\n"
    " 0.1 0.2 0.3\n -0.25 0 0.45\n 0.4 -0.4 0\n\x01"
    "3\n3\n1\n0 2 3\n0 1.0 2.0\n0 1.5 2.5\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Both reference runs as in a fresh process, before any other run.
  static const std::string pairs_fresh = Run(kPairListRun);
  static const std::string shells_fresh = Run(kShellRun);
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string shown = Run(text);
  FUZZ_REQUIRE(Run(kPairListRun) == pairs_fresh);
  FUZZ_REQUIRE(Run(kShellRun) == shells_fresh);
  FUZZ_REQUIRE(Run(text) == shown);
  return 0;
}

// Every allocation function, so that the sanitizer sees no mismatched free.
void* Allocate(std::size_t size) noexcept {
  return cap_active && size > (std::size_t{64} << 20) ? nullptr : std::malloc(size + 1);
}
void* operator new(std::size_t size) {
  if (void* block = Allocate(size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
