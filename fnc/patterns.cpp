// Mode 2: one constraint pattern per molecule type, built from the pair list,
// tested for consistency and printed; then repeated over every molecule.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <unordered_map>
#include <utility>

#include "fnc/fnc.hpp"
#include "fnc/gap_sort.hpp"
#include "io/error.hpp"

namespace {

[[noreturn]] void OffsetError(int atom, std::int64_t step, std::int64_t slot_step, int line) {
  throw LocatedError(FNC::pairlist, line,
                     "the index step " + std::to_string(slot_step) + " of atom " +
                         std::to_string(atom) + ", as an earlier pair gives it",
                     std::to_string(step))
      .Lines({"ERROR! The offset for central atom " + std::to_string(atom) + " is " +
                  std::to_string(step),
              ", and it is not the same value previously given for this central atom " +
                  std::to_string(slot_step),
              "Correct the parameter file, cannot continue this way, exiting..."});
}

[[noreturn]] void TooManyAtomsError(int type, int line) {
  const std::string size = std::to_string(FNC::molsize[type]);
  throw LocatedError(FNC::pairlist, line,
                     "at most " + size + " atoms in a molecule of type " + std::to_string(type + 1),
                     "one more")
      .Lines({"ERROR! There seems to be more different atom indices given for the " +
                  std::to_string(type + 1) + " molecule",
              "(index start with 1) than the number of atoms in the molecule, which is " + size,
              "Check the parameter file! Cannot continue, exiting..."});
}

[[noreturn]] void TooManyEntries() {
  throw LocatedError::Text(FNC::pairlist, 0, "more than 2147483647 constraint entries")
      .Lines({"FNC::AssemblePatterns - too many constraint entries!"});
}

// One type's slots while its pairs are entered. Slots are found by central
// atom through an index, but always in slot order, so the first mismatch in
// slot order is the one reported.
class TypeSlots {
 public:
  TypeSlots(int type, int first) : type_(type), first_(first) {}

  int count() const { return count_; }

  // The slots of a and b with matching steps, or -1; a step that differs from
  // a slot's step is the offset error.
  std::pair<int, int> Find(int a, std::int64_t a_step, int b, std::int64_t b_step, int line) const {
    std::vector<int> slots = Slots(a);
    if (a != b) {
      const std::vector<int> more = Slots(b);
      slots.insert(slots.end(), more.begin(), more.end());
      std::sort(slots.begin(), slots.end());
    }
    int a_slot = -1;
    int b_slot = -1;
    for (const int s : slots) {
      const int row = first_ + s;
      if (FNC::patcentral[row] == a) {
        if (FNC::patoffset[row] != a_step) OffsetError(a, a_step, FNC::patoffset[row], line);
        a_slot = s;
      }
      if (FNC::patcentral[row] == b) {
        if (FNC::patoffset[row] != b_step) OffsetError(b, b_step, FNC::patoffset[row], line);
        b_slot = s;
      }
    }
    return {a_slot, b_slot};
  }

  int Open(int atom, std::int64_t step, int line) {
    if (count_ >= FNC::molsize[type_]) TooManyAtomsError(type_, line);
    const int row = first_ + count_;
    FNC::patcentral[row] = atom;
    FNC::patoffset[row] = step;
    FNC::patline[row] = line;
    by_atom_[atom].push_back(count_);
    return count_++;
  }

  void Append(int slot, int neighbour, std::int64_t step, int kind) {
    const int row = first_ + slot;
    FNC::patneighbour[row].push_back(neighbour);
    FNC::patneighbouroffset[row].push_back(step);
    FNC::patconstrainttype[row].push_back(kind);
    ++FNC::patcount[row];
  }

 private:
  std::vector<int> Slots(int atom) const {
    const auto found = by_atom_.find(atom);
    return found == by_atom_.end() ? std::vector<int>() : found->second;
  }

  int type_;
  int first_;
  int count_ = 0;
  std::unordered_map<int, std::vector<int>> by_atom_;
};

void OrderPattern(int first, int size) {
  GapSort(size, FNC::patcentral.data() + first, [first](int i, int j) {
    std::swap(FNC::patcentral[first + i], FNC::patcentral[first + j]);
    std::swap(FNC::patcount[first + i], FNC::patcount[first + j]);
    std::swap(FNC::patoffset[first + i], FNC::patoffset[first + j]);
    std::swap(FNC::patline[first + i], FNC::patline[first + j]);
    std::swap(FNC::patneighbour[first + i], FNC::patneighbour[first + j]);
    std::swap(FNC::patneighbouroffset[first + i], FNC::patneighbouroffset[first + j]);
    std::swap(FNC::patconstrainttype[first + i], FNC::patconstrainttype[first + j]);
  });
  for (int row = first; row < first + size; ++row) {
    std::vector<int>& neighbour = FNC::patneighbour[row];
    std::vector<std::int64_t>& offset = FNC::patneighbouroffset[row];
    std::vector<int>& kind = FNC::patconstrainttype[row];
    GapSort(FNC::patcount[row], neighbour.data(), [&](int i, int j) {
      std::swap(neighbour[i], neighbour[j]);
      std::swap(offset[i], offset[j]);
      std::swap(kind[i], kind[j]);
    });
  }
}

void PrintPattern(std::ostream& out, int first, int size) {
  out << "The FNC constraints for the smallest indexed molecule:" << std::endl
      << "central index,   neighbour count, central offset" << std::endl
      << "\tneighbour indices" << std::endl
      << "\tconstraint type\n"
      << std::endl;
  for (int row = first; row < first + size; ++row) {
    out << FNC::patcentral[row] << "   " << FNC::patcount[row] << "   " << FNC::patoffset[row]
        << std::endl;
    for (const int neighbour : FNC::patneighbour[row]) out << '\t' << neighbour;
    out << std::endl;
    for (const int kind : FNC::patconstrainttype[row]) out << '\t' << kind;
    out << std::endl;
  }
}

void BuildPatterns(std::ostream& patterns) {
  // A type never has more slots than atoms per molecule, nor more than two
  // per pair, so the slots take room in proportion to the pairs.
  FNC::patfirst.assign(1, 0);
  for (int j = 0; j < FNC::nmoltypes; ++j) {
    const std::int64_t room =
        std::min<std::int64_t>(FNC::molsize[j], 2 * std::int64_t{FNC::molpairs[j]});
    if (FNC::patfirst.back() + room > std::numeric_limits<int>::max()) TooManyEntries();
    FNC::patfirst.push_back(FNC::patfirst.back() + static_cast<int>(room));
  }
  // Per atom its entry count, coverage, row and row start; the slots hold
  // no more than the pair list itself.
  ClaimMemory(16.0 * FNC::natoms, FNC::pairlist, "FNC::AssemblePatterns");
  const auto slots = static_cast<std::size_t>(FNC::patfirst.back());
  FNC::patcentral.assign(slots, 0);
  FNC::patoffset.assign(slots, 0);
  FNC::patline.assign(slots, 0);
  FNC::patcount.assign(slots, 0);
  FNC::patneighbour.assign(slots, {});
  FNC::patneighbouroffset.assign(slots, {});
  FNC::patconstrainttype.assign(slots, {});
  FNC::patsize.assign(static_cast<std::size_t>(FNC::nmoltypes) + 1, 0);
  FNC::ncoord.assign(static_cast<std::size_t>(FNC::natoms), 0);

  int p = 0;
  for (int j = 0; j < FNC::nmoltypes; ++j) {
    TypeSlots type(j, FNC::patfirst[j]);
    for (int end = p + FNC::molpairs[j]; p < end; ++p) {
      const int a = FNC::pairfirst[p];
      const std::int64_t a_step = FNC::firstoffset[p];
      const int b = FNC::pairsecond[p];
      const std::int64_t b_step = FNC::secondoffset[p];
      const int kind = FNC::pairtype[p];
      const int line = FNC::pairline[p];
      const auto [a_slot, b_slot] = type.Find(a, a_step, b, b_step, line);
      type.Append(a_slot >= 0 ? a_slot : type.Open(a, a_step, line), b, b_step, kind);
      type.Append(b_slot >= 0 ? b_slot : type.Open(b, b_step, line), a, a_step, kind);
    }
    FNC::patsize[j] = type.count();
    OrderPattern(FNC::patfirst[j], type.count());
    PrintPattern(patterns, FNC::patfirst[j], type.count());
  }
}

// Calls visit(row, molecule, atom index) for every slot of every type in
// every molecule, in type, slot, molecule order. Indices are 1-based and
// exact in 64 bits.
template <class Visit>
void ForEachReach(Visit&& visit) {
  for (int j = 0; j < FNC::nmoltypes; ++j) {
    for (int row = FNC::patfirst[j]; row < FNC::patfirst[j] + FNC::patsize[j]; ++row) {
      for (std::int64_t m = 0; m < FNC::nmol[j]; ++m) {
        visit(row, m, FNC::patcentral[row] + m * FNC::patoffset[row]);
      }
    }
  }
}

// The first molecule in which a slot's atom index, c + m * d for molecules m
// = 0 .. n - 1, lies outside 1 .. atoms; n if none does. The indices run
// one way, so the answer comes without walking the molecules.
std::int64_t FirstOutside(std::int64_t c, std::int64_t d, std::int64_t n, std::int64_t atoms) {
  std::int64_t m = n;
  if (c < 1 || c > atoms) {
    m = 0;
  } else if (d > 0) {
    m = (atoms - c) / d + 1;
  } else if (d < 0) {
    m = (c - 1) / -d + 1;
  }
  return std::min(m, n);
}

// The first index outside the configuration, in type, slot and molecule
// order, is the index error.
void CheckIndices() {
  for (int j = 0; j < FNC::nmoltypes; ++j) {
    for (int row = FNC::patfirst[j]; row < FNC::patfirst[j] + FNC::patsize[j]; ++row) {
      const std::int64_t c = FNC::patcentral[row];
      const std::int64_t m = FirstOutside(c, FNC::patoffset[row], FNC::nmol[j], FNC::natoms);
      if (m == FNC::nmol[j]) continue;
      const std::int64_t x = c + m * FNC::patoffset[row];
      const std::string index = "Error! The index of atom " + std::to_string(x);
      throw LocatedError(FNC::pairlist, FNC::patline[row],
                         "atom indices from 1 to " + std::to_string(FNC::natoms),
                         std::to_string(x) + " for the atom " + std::to_string(c) +
                             " of the first molecule in molecule " + std::to_string(m + 1) +
                             " of type " + std::to_string(j + 1))
          .Lines({x < 1 ? index + " is less than 1"
                        : index + " is greater,than the total number of atoms (" +
                              std::to_string(FNC::natoms) + ")"});
    }
  }
}

// Every atom must be reached at most once by the repeated patterns: the
// lowest atom reached twice is the overlap error. Each slot's indices are
// walked upwards only until they meet an atom reached before, so the work
// stays within the number of atoms whatever the molecule counts are.
void CheckOverlap() {
  FNC::covered.assign(static_cast<std::size_t>(FNC::natoms), 0);
  std::int64_t twice = std::numeric_limits<std::int64_t>::max();
  int type = -1, row_of_step_0 = -1;  // where an index step 0 reaches `twice` in every molecule
  for (int j = 0; j < FNC::nmoltypes; ++j) {
    const std::int64_t n = FNC::nmol[j];
    for (int row = FNC::patfirst[j]; row < FNC::patfirst[j] + FNC::patsize[j]; ++row) {
      const std::int64_t d = FNC::patoffset[row];
      const std::int64_t lowest = FNC::patcentral[row] + std::min<std::int64_t>(d, 0) * (n - 1);
      for (std::int64_t m = 0; m < n; ++m) {
        const std::int64_t x = lowest + m * (d < 0 ? -d : d);
        if (FNC::covered[x - 1] > 0 || (d == 0 && m > 0)) {
          if (x < twice) {
            twice = x;
            type = j;
            row_of_step_0 = d == 0 && m > 0 ? row : -1;
          }
          break;
        }
        FNC::covered[x - 1] = 1;
      }
    }
  }
  if (twice > FNC::natoms) return;
  const std::string atom = "atom " + std::to_string(twice);
  throw LocatedError(FNC::pairlist, row_of_step_0 >= 0 ? FNC::patline[row_of_step_0] : 0,
                     "each atom in one molecule only",
                     row_of_step_0 >= 0
                         ? atom + " in every molecule of type " + std::to_string(type + 1) +
                               ", since its index step is 0"
                         : atom + " in more than one (the indices of molecule types overlap)")
      .Lines({"Error! More fnc constraint was specified for the same atom (" +
                  std::to_string(twice) + "!",
              "Most probably the atom indices overlap betwwen two different molecule type! "
              "Cannot proceed, exiting..."});
}

// Each reached atom's neighbour count; every atom is reached once at most.
void CountEntries() {
  std::int64_t total = FNC::nentries;
  ForEachReach([&total](int row, std::int64_t, std::int64_t x) {
    FNC::ncoord[x - 1] = FNC::patcount[row];
    total += FNC::patcount[row];
  });
  if (total > std::numeric_limits<int>::max()) TooManyEntries();
  // The neighbour and kind of each entry.
  ClaimMemory(8.0 * static_cast<double>(total), FNC::pairlist, "FNC::AssemblePatterns");
  FNC::nentries = static_cast<int>(total);
}

}  // namespace

void FNC::AssemblePatterns(Report& report, std::ostream& patterns) {
  WithMemoryGuard("FNC::AssemblePatterns", FNC::pairlist, [&report, &patterns] {
    BuildPatterns(patterns);
    CheckIndices();
    CheckOverlap();
    const auto unconstrained = std::count(FNC::covered.begin(), FNC::covered.end(), 0);
    if (unconstrained > 0) {
      report.Notice("There  will be " + std::to_string(unconstrained) +
                    " atom(s) with no fnc constraint! FNC with 0 neighbour is created for them.");
    }
    CountEntries();
  });
}

void FNC::ExpandPatterns() {
  for (int i = 1; i < natoms; ++i) liststart[i] = liststart[i - 1] + ncoord[i - 1];
  // Each row is its own atom's (centralindex as constructed).
  ForEachReach([this](int row, std::int64_t m, std::int64_t x) {
    const int start = liststart[x - 1];
    for (int e = 0; e < patcount[row]; ++e) {
      neighbours[start + e] =
          static_cast<int>(patneighbour[row][e] + m * patneighbouroffset[row][e] - 1);
      constrainttype[start + e] = patconstrainttype[row][e] - 1;
    }
  });
}
