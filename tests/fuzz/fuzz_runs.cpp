// Fuzz target: whole runs of both modes on fuzzed input files. Every input
// must end in a normal return or in the program's own stop, never in a crash,
// a sanitizer report or a hang; a finished run must hold a consistent set of
// constraints and write files of the layout's length.
//
// Input: a mode byte ('1' or '2'; any other byte picks by its parity), then
// the files: in mode 1 the .incfg text, a byte 0x01, the shell parameters
// (without the 0x01, a small fixed .incfg and the whole rest as parameters);
// in mode 2 the pair list.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.hpp"

namespace {

constexpr int kMostAtoms = 200000;

const char kCentres[] =
    " (Version 3 format configuration file) !file created by SimpleCfg::save !\ncentres\n\n\n"
    "          0         0         0 moves generated, tried, accepted \n"
    "          0              configurations saved\n \n"
    "          3 molecules of all types\n          1 types of molecules \n"
    "          1 is the largest number of atoms in a molecule \n"
    "          0 Euler angles are provided \n \n         F (box is cubic)\t\n"
    "            Defining vectors are: \n             20.000000   0.000000   0.000000\n"
    "              0.000000  20.000000   0.000000\n              0.000000   0.000000  20.000000\n\n"
    "          3 molecules of type  1\n          1 atomic sites \n"
    "              0.000000   0.000000   0.000000\n \n"
    " 0.1 0.2 0.3\n -0.25 0 0.45\n 0.4 -0.4 0\n";

// Every row one atom; every pair listed by both its atoms with the same kind.
void CheckConstraints(const FNC& fnc) {
  const auto atoms = static_cast<std::size_t>(FNC::natoms);
  FUZZ_REQUIRE(fnc.centralindex.size() == atoms && FNC::ncoord.size() == atoms);
  std::vector<int> row_of(atoms, -1);
  std::vector<std::size_t> first(atoms + 1, 0);
  for (std::size_t row = 0; row < atoms; ++row) {
    const int atom = fnc.centralindex[row];
    FUZZ_REQUIRE(atom >= 0 && static_cast<std::size_t>(atom) < atoms && row_of[atom] < 0);
    row_of[atom] = static_cast<int>(row);
    first[row + 1] = first[row] + static_cast<std::size_t>(FNC::ncoord[row]);
  }
  FUZZ_REQUIRE(first[atoms] == fnc.neighbours.size() && first[atoms] == static_cast<std::size_t>(FNC::nentries));
  for (std::size_t row = 0; row < atoms; ++row) {
    for (std::size_t e = first[row]; e < first[row + 1]; ++e) {
      const int other = fnc.neighbours[e];
      const int kind = fnc.constrainttype[e];
      FUZZ_REQUIRE(other >= 0 && static_cast<std::size_t>(other) < atoms && kind >= 0 && kind < FNC::nconstraints);
      const auto back = static_cast<std::size_t>(row_of[other]);
      bool found = false;
      for (std::size_t f = first[back]; f < first[back + 1] && !found; ++f) {
        found = fnc.neighbours[f] == fnc.centralindex[row] && fnc.constrainttype[f] == kind;
      }
      FUZZ_REQUIRE(found);
    }
  }
}

std::size_t Lines(const std::string& text) {
  std::size_t lines = 0;
  for (const char c : text) lines += c == '\n';
  return lines;
}

void Grow(const std::string& incfg, const std::string& parameters) {
  std::istringstream header(incfg);
  SimpleCfg::GetParams_cfg(header);
  if (SimpleCfg::natoms > kMostAtoms) return;
  SimpleCfg centres;
  std::istringstream whole(incfg);
  centres.load(whole);
  std::istringstream shells(parameters);
  SimpleCfg::GetFNCParameters(shells);
  if (FNC::natoms > kMostAtoms || FNC::nentries > kMostAtoms) return;
  SimpleCfg grown;
  FNC fnc;
  grown.ArrangeNeighbours(fnc, centres, -20240601);
  CheckConstraints(fnc);
  std::ostringstream cfg;
  grown.save(cfg, "FNC configuration");
  FUZZ_REQUIRE(Lines(cfg.str()) == static_cast<std::size_t>(18 + 4 * SimpleCfg::ntypes + SimpleCfg::natoms));
  std::ostringstream constraints;
  constraints.precision(cfg.precision());
  fnc.rawsave(constraints);
  FUZZ_REQUIRE(Lines(constraints.str()) == static_cast<std::size_t>(9 + 3 * FNC::natoms));
}

void Expand(const std::string& pairs) {
  std::istringstream list(pairs);
  FNC::GetFNCParams2(list);
  if (FNC::natoms > kMostAtoms) return;
  FNC::AssemblePatterns();
  FNC fnc;
  fnc.ExpandPatterns();
  CheckConstraints(fnc);
  std::ostringstream constraints;
  fnc.rawsave(constraints);
  FUZZ_REQUIRE(Lines(constraints.str()) == static_cast<std::size_t>(9 + 3 * FNC::natoms));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  fuzz_support::TargetScope scope;
  try {
    if (data[0] == '1' || (data[0] != '2' && data[0] % 2 == 1)) {
      const auto split = text.find('\x01');
      if (split == std::string::npos) {
        Grow(kCentres, text);
      } else {
        Grow(text.substr(0, split), text.substr(split + 1));
      }
    } else {
      Expand(text);
    }
  } catch (const fuzz_support::FatalStopped&) {
  }
  return 0;
}
