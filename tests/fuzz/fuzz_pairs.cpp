// Fuzz target: the input bytes as the mode-2 pair list; a list that reads is
// assembled into patterns, repeated over all molecules and written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fnc/fnc.hpp"
#include "fuzz_support.hpp"

namespace {

using fuzz_support::CountingBuffer;
using fuzz_support::FatalStopped;
using fuzz_support::TargetScope;

// Pair lists beyond these sizes are passed over, to keep every input fast:
// the atoms, and the pattern slots repeated over all molecules (each type has
// at most min(atoms per molecule, 2 x pairs per molecule) slots).
constexpr int kMaxAtoms = 100000;
constexpr std::int64_t kMaxReaches = 200000;

bool WithinBounds() {
  if (FNC::natoms > kMaxAtoms) return false;
  std::int64_t reaches = 0;
  for (int j = 0; j < FNC::nmoltypes; ++j) {
    const std::int64_t slots =
        std::min<std::int64_t>(FNC::molsize[j], 2 * std::int64_t{FNC::molpairs[j]});
    reaches += FNC::nmol[j] * slots;
    if (reaches > kMaxReaches) return false;
  }
  return true;
}

// Row i is atom i; each row's entries follow the previous row's; every pair
// is listed in the rows of both its atoms with the same kind; every kind has
// a window.
void CheckConstraints(const FNC& fnc) {
  const int atoms = FNC::natoms;
  FUZZ_REQUIRE(static_cast<int>(fnc.centralindex.size()) == atoms);
  FUZZ_REQUIRE(static_cast<int>(FNC::ncoord.size()) == atoms);
  FUZZ_REQUIRE(static_cast<int>(FNC::rmin.size()) >= FNC::nconstraints);
  FUZZ_REQUIRE(static_cast<int>(FNC::rmax.size()) >= FNC::nconstraints);
  std::int64_t position = 0;
  for (int row = 0; row < atoms; ++row) {
    FUZZ_REQUIRE(fnc.centralindex[row] == row);
    FUZZ_REQUIRE(fnc.liststart[row] == position);
    FUZZ_REQUIRE(FNC::ncoord[row] >= 0);
    position += FNC::ncoord[row];
  }
  FUZZ_REQUIRE(position == FNC::nentries);
  FUZZ_REQUIRE(static_cast<std::int64_t>(fnc.neighbours.size()) == position);

  fuzz_support::PairFingerprint forward;
  fuzz_support::PairFingerprint backward;
  for (int row = 0; row < atoms; ++row) {
    for (int e = 0; e < FNC::ncoord[row]; ++e) {
      const int neighbour = fnc.neighbours[fnc.liststart[row] + e];
      const int kind = fnc.constrainttype[fnc.liststart[row] + e];
      // An atom paired with itself after it already had a slot lists itself.
      FUZZ_REQUIRE(neighbour >= 0 && neighbour < atoms);
      FUZZ_REQUIRE(kind >= 0 && kind < FNC::nconstraints);
      forward.Add(row, neighbour, kind);
      backward.Add(neighbour, row, kind);
    }
  }
  FUZZ_REQUIRE(forward.sum() == backward.sum());
}

void AssembleAndWrite(const std::string& pairs) {
  {
    std::istringstream text(pairs);
    FNC::GetFNCParams2(text);
  }
  if (!WithinBounds()) return;
  FNC::AssemblePatterns();
  FNC fnc;
  fnc.ExpandPatterns();
  CheckConstraints(fnc);
  CountingBuffer fnc_text;
  std::ostream fnc_out(&fnc_text);
  fnc.rawsave(fnc_out);
  FUZZ_REQUIRE(fnc_text.lines == static_cast<std::uint64_t>(9 + 3 * std::int64_t{FNC::natoms}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TargetScope scope;
  try {
    AssembleAndWrite(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const FatalStopped&) {
  }
  return 0;
}
