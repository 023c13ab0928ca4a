// The hashed cell grid of the placement.
#include "shell/atom_grid.hpp"

#include <algorithm>
#include <cmath>

namespace {

// Cells a side at most: a cell's three coordinates fit 21 bits each.
constexpr std::int64_t kMostPerSide = std::int64_t{1} << 21;

}  // namespace

void WrapIntoBox(const double* p, double* w) {
  for (int k = 0; k < 3; ++k) {
    // x - floor(x), without the call where floor(x) is 0 or -1, as it is for
    // the coordinates of a configuration (-0.5 .. 0.5).
    const double x = p[k];
    if (x >= 0 && x < 1) {
      w[k] = x;
    } else if (x >= -1 && x < 0) {
      w[k] = x + 1;
    } else {
      w[k] = x - std::floor(x);
    }
  }
}

AtomGrid::AtomGrid(std::vector<double> reach2, int classes, std::size_t atoms, const double* centre,
                   std::size_t centres, double margin)
    : reach2_(std::move(reach2)), classes_(classes) {
  double reach = 0;
  for (const double r2 : reach2_) reach = std::max(reach, std::sqrt(r2));
  around_ = margin + reach;
  // Cells at least twice the reach wide (and a hair more, against rounding),
  // so that the atoms within reach of a point lie in its cell or the next one
  // towards it along each side: 8 cells to search.
  const double fit = std::floor(1 / (2 * reach * (1 + 1e-9)));
  if (fit >= static_cast<double>(kMostPerSide)) {
    per_side_ = kMostPerSide;
  } else if (fit >= 1) {
    per_side_ = static_cast<std::int64_t>(fit);
  }
  // At most one cell an atom, and the table at most half full. Where the
  // first atoms of the cells atoms can reach take at most twice the table's
  // bytes (four cells a slot), each cell has its own (and one more is shared
  // by any position outside them, which no atom takes).
  while ((std::size_t{1} << slot_bits_) < 2 * atoms) ++slot_bits_;
  double cells = 1;
  // The cells along each side that hold a centre.
  std::vector<bool> held[3];
  for (std::vector<bool>& side : held) side.assign(static_cast<std::size_t>(per_side_), false);
  for (std::size_t i = 0; i < centres; ++i) {
    double w[3];
    WrapIntoBox(centre + 3 * i, w);
    for (int k = 0; k < 3; ++k) held[k][CellOf(w[k])] = true;
  }
  for (int k = 0; k < 3; ++k) {
    spans_[k] = SpanOf(held[k], margin);
    cells *= static_cast<double>(spans_[k].count);
  }
  static_assert(sizeof(Slot) == 2 * sizeof(int));
  dense_ = cells <= 4 * static_cast<double>(std::size_t{1} << slot_bits_);
  if (dense_) {
    heads_.assign(static_cast<std::size_t>(cells) + 1, -1);
  } else {
    slots_.assign(std::size_t{1} << slot_bits_, Slot{0, kEmpty});
  }
  atoms_.reserve(atoms);
}

double AtomGrid::Bytes(std::size_t atoms) {
  // Slots: a power of two, below four for each atom; or cells, in twice the
  // bytes.
  return static_cast<double>(atoms) * (sizeof(Atom) + 2 * 4 * sizeof(Slot));
}

bool AtomGrid::Clear(const double* p, int cls) const {
  const double* reach2 = &reach2_[static_cast<std::size_t>(cls) * classes_];
  bool clear = true;
  Visit(p, [&](const double* delta, int other) {
    clear = !(SquareOf(delta) < reach2[other]);
    return clear;
  });
  return clear;
}

void AtomGrid::FetchAhead(const double* p) const {
  if (!dense_) return;
  double w[3];
  WrapIntoBox(p, w);
  std::uint64_t share[3][kAhead];
  int count[3];
  for (int k = 0; k < 3; ++k) {
    const double n = static_cast<double>(per_side_);
    const auto low = static_cast<std::int64_t>(std::floor((w[k] - around_) * n));
    const auto high = static_cast<std::int64_t>(std::floor((w[k] + around_) * n));
    count[k] = static_cast<int>(std::min<std::int64_t>({high - low + 1, per_side_, kAhead}));
    std::int64_t c = low < 0 ? low + per_side_ : low;
    for (int i = 0; i < count[k]; ++i, c = c + 1 == per_side_ ? 0 : c + 1) {
      share[k][i] = ShareOf(k, c);
    }
  }
  const std::uint64_t last = heads_.size() - 1;
  for (int z = 0; z < count[2]; ++z) {
    for (int y = 0; y < count[1]; ++y) {
      // A run along x lies in one or two lines of memory: fetched by its ends.
      const std::uint64_t row = share[2][z] + share[1][y];
      __builtin_prefetch(&heads_[std::min(row + share[0][0], last)]);
      __builtin_prefetch(&heads_[std::min(row + share[0][count[0] - 1], last)]);
    }
  }
}

int AtomGrid::Add(const double* p, int cls) {
  atoms_.push_back(Atom{{0, 0, 0}, -1, cls});
  const int a = static_cast<int>(atoms_.size()) - 1;
  Put(a, p);
  return a;
}

void AtomGrid::Put(int a, const double* p) {
  WrapIntoBox(p, atoms_[a].xyz);
  Link(a);
}

void AtomGrid::Remove(int a) {
  std::size_t s = SlotAt(atoms_[a].xyz);
  if (!dense_) {
    const std::uint64_t key = KeyOf(atoms_[a].xyz);
    const std::uint32_t tag = TagOf(key);
    while (slots_[s].head < 0 || slots_[s].tag != tag || KeyOf(atoms_[slots_[s].head].xyz) != key) {
      s = (s + 1) & (slots_.size() - 1);
    }
  }
  int* link = dense_ ? &heads_[s] : &slots_[s].head;
  while (*link != a) link = &atoms_[*link].next;
  *link = atoms_[a].next;
  if (!dense_ && slots_[s].head == -1) slots_[s].head = kFreed;
}

// The cells along a side within `margin` of a centre, given the cells that
// `held` one: all but the longest run of cells, around the box, that holds no
// centre, narrowed by the margin and a cell more on both ends.
AtomGrid::Span AtomGrid::SpanOf(const std::vector<bool>& held, double margin) const {
  const std::int64_t n = per_side_;
  std::int64_t gap = 0, end = 0;  // the longest run without centres, and its last cell
  for (std::int64_t i = 0, run = 0; i < 2 * n; ++i) {
    run = held[i % n] ? 0 : run + 1;
    if (run > gap && run <= n) gap = run, end = i % n;
  }
  const double widen = std::ceil(margin * static_cast<double>(n)) + 1;
  if (!(static_cast<double>(n - gap) + 2 * widen < static_cast<double>(n))) return {0, n};
  const auto cells = static_cast<std::int64_t>(widen);
  return {((end + 1 - cells) % n + n) % n, n - gap + 2 * cells};
}

// The cell along one side of a wrapped coordinate: 1 (the box's far face)
// counts as 0, and what is not a number lies in the first cell.
std::int64_t AtomGrid::CellOf(double w) const {
  if (!(w >= 0 && w < 1)) return 0;
  return std::min(static_cast<std::int64_t>(w * static_cast<double>(per_side_)), per_side_ - 1);
}

std::uint64_t AtomGrid::KeyOf(const double* w) const {
  return static_cast<std::uint64_t>(CellOf(w[2])) << 42 |
         static_cast<std::uint64_t>(CellOf(w[1])) << 21 | static_cast<std::uint64_t>(CellOf(w[0]));
}

// The slot of the cell that holds w: in the dense layout its own, else where
// the search for it starts.
std::size_t AtomGrid::SlotAt(const double* w) const {
  if (!dense_) return HashOf(KeyOf(w));
  std::uint64_t slot = 0;
  for (int k = 0; k < 3; ++k) slot += ShareOf(k, CellOf(w[k]));
  return static_cast<std::size_t>(std::min<std::uint64_t>(slot, heads_.size() - 1));
}

std::size_t AtomGrid::HashOf(std::uint64_t key) const {
  return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> (64 - slot_bits_));
}

// In the dense layout, cell c of side k adds its place along the span times
// the cells of the sides before: the sum over the three sides is its slot. A
// cell outside the span adds the last slot's number, so that the sum, taken
// at most that, is the last slot, which cells outside the spans share.
std::uint64_t AtomGrid::ShareOf(int k, std::int64_t c) const {
  std::int64_t along = c - spans_[k].first;
  if (along < 0) along += per_side_;
  if (along >= spans_[k].count) return heads_.size() - 1;
  for (int before = 0; before < k; ++before) along *= spans_[before].count;
  return static_cast<std::uint64_t>(along);
}

std::uint32_t AtomGrid::TagOf(std::uint64_t key) {
  return static_cast<std::uint32_t>((key * 0xD6E8FEB86659FD93ULL) >> 32);
}

// The cells around w: along each side its own and the neighbour towards the
// half of the cell it lies in (fewer when the box has fewer cells a side).
// The slots are fetched ahead, as the search waits on them.
AtomGrid::Cells AtomGrid::Around(const double* w) const {
  // The two cells of each side: their bits in the key, or in the dense layout
  // their shares of the slot. Either way the three sides' parts add up to the
  // cell's key, which in the dense layout is its slot (or beyond the last).
  std::uint64_t part[3][2];
  for (int k = 0; k < 3; ++k) {
    const std::int64_t c = CellOf(w[k]);
    const double at = w[k] >= 0 && w[k] < 1 ? w[k] * static_cast<double>(per_side_) - c : 0;
    // Both neighbours, then one chosen: which half w lies in is a coin's
    // toss, that a branch would guess wrong half the time.
    const std::int64_t down = c == 0 ? per_side_ - 1 : c - 1;
    const std::int64_t up = c + 1 == per_side_ ? 0 : c + 1;
    const std::int64_t next = at < 0.5 ? down : up;
    if (dense_) {
      part[k][0] = ShareOf(k, c);
      part[k][1] = ShareOf(k, next);
    } else {
      part[k][0] = static_cast<std::uint64_t>(c) << 21 * k;
      part[k][1] = static_cast<std::uint64_t>(next) << 21 * k;
    }
  }
  const int count = per_side_ == 1 ? 1 : 2;
  Cells cells;
  for (int z = 0; z < count; ++z) {
    for (int y = 0; y < count; ++y) {
      for (int x = 0; x < count; ++x) {
        const std::uint64_t key = part[2][z] + part[1][y] + part[0][x];
        if (dense_) {
          cells.slot[cells.count] =
              static_cast<std::size_t>(std::min<std::uint64_t>(key, heads_.size() - 1));
          __builtin_prefetch(&heads_[cells.slot[cells.count]]);
        } else {
          cells.slot[cells.count] = HashOf(key);
          __builtin_prefetch(&slots_[cells.slot[cells.count]]);
        }
        cells.key[cells.count] = key;
        ++cells.count;
      }
    }
  }
  return cells;
}

// The first atom of the cell `key`, searching from slot s, or -1.
int AtomGrid::Find(std::uint64_t key, std::size_t s) const {
  if (dense_) return heads_[s];
  const std::uint32_t tag = TagOf(key);
  for (;; s = (s + 1) & (slots_.size() - 1)) {
    const Slot& slot = slots_[s];
    if (slot.head == kEmpty) return -1;
    if (slot.head >= 0 && slot.tag == tag && KeyOf(atoms_[slot.head].xyz) == key) return slot.head;
  }
}

// Atom a at the head of its cell's list: the cell's slot, or a new one (the
// first freed slot on the way, else the empty one that ends it).
void AtomGrid::Link(int a) {
  if (dense_) {
    const std::size_t s = SlotAt(atoms_[a].xyz);
    atoms_[a].next = heads_[s];
    heads_[s] = a;
    return;
  }
  const std::uint64_t key = KeyOf(atoms_[a].xyz);
  const std::size_t mask = slots_.size() - 1;
  std::size_t s = HashOf(key);
  std::size_t freed = slots_.size();
  const std::uint32_t tag = TagOf(key);
  for (; slots_[s].head != kEmpty; s = (s + 1) & mask) {
    const int head = slots_[s].head;
    if (head >= 0 && slots_[s].tag == tag && KeyOf(atoms_[head].xyz) == key) break;
    if (head == kFreed && freed == slots_.size()) freed = s;
  }
  if (slots_[s].head == kEmpty && freed != slots_.size()) s = freed;
  atoms_[a].next = slots_[s].head >= 0 ? slots_[s].head : -1;
  slots_[s] = Slot{tag, a};
}
