// Fuzz target: the input bytes as the mode-1 shell parameter file, read
// against a fixed input configuration of five atoms; a file that reads is
// turned into the grown configuration and its constraint set, both written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "fuzz_support.hpp"

namespace {

using fuzz_support::CountingBuffer;
using fuzz_support::FatalStopped;
using fuzz_support::TargetScope;

// Grown configurations beyond these sizes are passed over, to keep every
// input fast.
constexpr int kMaxAtoms = 50000;
constexpr int kMaxTypes = 1000;

// Five atoms of two types in a box of length 20.
constexpr const char* kInputConfiguration =
    " (Version 3 format configuration file) !file created by SimpleCfg::save !\n"
    "five central atoms\n\n\n"
    "          0         0         0 moves generated, tried, accepted \n"
    "          0              configurations saved\n \n"
    "          5 molecules of all types\n"
    "          2 types of molecules \n"
    "          1 is the largest number of atoms in a molecule \n"
    "          0 Euler angles are provided \n \n"
    "         F (box is cubic)\t\n"
    "            Defining vectors are: \n"
    "             20.000000   0.000000   0.000000\n"
    "              0.000000  20.000000   0.000000\n"
    "              0.000000   0.000000  20.000000\n\n"
    "          3 molecules of type  1\n          1 atomic sites \n"
    "              0.000000   0.000000   0.000000\n \n"
    "          2 molecules of type  2\n          1 atomic sites \n"
    "              0.000000   0.000000   0.000000\n \n"
    " 0.100000000000000  0.200000000000000  0.300000000000000\n"
    " -0.250000000000000  0.000000000000000  0.450000000000000\n"
    " 0.400000000000000  -0.400000000000000  0.000000000000000\n"
    " 0.000000000000000  0.000000000000000  0.000000000000000\n"
    " 0.499000000000000  0.499000000000000  -0.499000000000000\n";

// Every row is one atom of the grown configuration; every pair is listed in
// the rows of both its atoms with the same kind; every kind has a window.
void CheckConstraints(const FNC& fnc) {
  const int atoms = FNC::natoms;
  FUZZ_REQUIRE(static_cast<int>(fnc.centralindex.size()) == atoms);
  FUZZ_REQUIRE(static_cast<int>(FNC::ncoord.size()) == atoms);
  std::vector<bool> seen(static_cast<std::size_t>(atoms), false);
  fuzz_support::PairFingerprint forward;
  fuzz_support::PairFingerprint backward;
  std::size_t position = 0;
  for (int row = 0; row < atoms; ++row) {
    const int atom = fnc.centralindex[row];
    FUZZ_REQUIRE(atom >= 0 && atom < atoms && !seen[atom]);
    seen[atom] = true;
    FUZZ_REQUIRE(FNC::ncoord[row] >= 0);
    for (int e = 0; e < FNC::ncoord[row]; ++e, ++position) {
      FUZZ_REQUIRE(position < fnc.neighbours.size());
      const int neighbour = fnc.neighbours[position];
      const int kind = fnc.constrainttype[position];
      FUZZ_REQUIRE(neighbour >= 0 && neighbour < atoms && neighbour != atom);
      FUZZ_REQUIRE(kind >= 0 && kind < FNC::nconstraints);
      forward.Add(atom, neighbour, kind);
      backward.Add(neighbour, atom, kind);
    }
  }
  FUZZ_REQUIRE(position == fnc.neighbours.size());
  FUZZ_REQUIRE(static_cast<int>(position) == FNC::nentries);
  FUZZ_REQUIRE(forward.sum() == backward.sum());
}

void GrowAndWrite(const std::string& parameters) {
  {
    std::istringstream text(kInputConfiguration);
    SimpleCfg::GetParams_cfg(text);
  }
  SimpleCfg central;
  {
    std::istringstream text(kInputConfiguration);
    central.load(text);
  }
  {
    std::istringstream text(parameters);
    SimpleCfg::GetFNCParameters(text);
  }
  if (FNC::natoms > kMaxAtoms || SimpleCfg::ntypes > kMaxTypes) return;

  SimpleCfg output;
  FNC fnc;
  output.ArrangeNeighbours(fnc, central, -20240601);
  CheckConstraints(fnc);

  CountingBuffer cfg_text;
  std::ostream cfg_out(&cfg_text);
  output.save(cfg_out, "FNC configuration");
  FUZZ_REQUIRE(cfg_text.lines ==
               static_cast<std::uint64_t>(18 + 4 * SimpleCfg::ntypes + SimpleCfg::natoms));
  CountingBuffer fnc_text;
  std::ostream fnc_out(&fnc_text);
  fnc_out.precision(cfg_out.precision());
  fnc.rawsave(fnc_out);
  FUZZ_REQUIRE(fnc_text.lines == static_cast<std::uint64_t>(9 + 3 * FNC::natoms));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TargetScope scope;
  try {
    GrowAndWrite(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const FatalStopped&) {
  }
  return 0;
}
