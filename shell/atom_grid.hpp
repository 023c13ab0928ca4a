// The atoms placed so far, by cell of a grid over the periodic box, so that a
// new position is compared with the atoms near it only. Where the cells that
// atoms can reach are at most four times the slots a hash table would have
// (two to four for each atom), each has its first atom's number in an array
// (cells near in space lie near in memory, and nothing is searched);
// otherwise the cells that hold atoms are found through a hash table. Either
// way empty space costs nothing, and the memory follows the atoms, wherever
// they lie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class AtomGrid {
 public:
  // Room for `atoms` atoms, every one within `margin` of one of the
  // `centres` central atoms at `centre` (x, y, z each; box units). Atoms have
  // classes 0 .. classes - 1; two atoms of classes a and b may not come closer
  // than the square root of reach2[a * classes + b] (box units; 0: as close as
  // they like).
  AtomGrid(std::vector<double> reach2, int classes, std::size_t atoms, const double* centre,
           std::size_t centres, double margin);

  // The bytes the grid takes for `atoms` atoms, at most.
  static double Bytes(std::size_t atoms);

  // Whether no atom lies closer to p, an atom of class `cls`, than its reach.
  bool Clear(const double* p, int cls) const;

  // Asks the memory ahead for the first atoms of the cells that the searches
  // around a central atom at p touch: a cube of side twice the margin and
  // the largest reach (with a slot for each cell; at most kAhead cells along
  // each side), so that those searches wait less.
  void FetchAhead(const double* p) const;
  static constexpr int kAhead = 4;

  // Calls near(delta, cls) for every atom in the cells around p, among them
  // all those within the largest reach, until it returns false. delta is p
  // minus the atom, its nearest image, in box units.
  template <class Near>
  void Visit(const double* p, Near near) const;

  // Adds an atom of class `cls` at p; returns its number.
  int Add(const double* p, int cls);
  // Takes atom `a` out until it is put back (at p) with Put.
  void Remove(int a);
  void Put(int a, const double* p);

 private:
  struct Atom {
    double xyz[3];  // wrapped into the box: 0 <= x <= 1
    int next;       // the next atom of its cell, or -1
    int cls;
  };
  struct Slot {
    std::uint32_t tag;  // bits of the cell's hash, to skip other cells
    int head;           // the cell's first atom, or kEmpty, or kFreed
  };
  // Cells along one side, from `first` on, around the box.
  struct Span {
    std::int64_t first = 0;
    std::int64_t count = 0;
  };
  struct Cells {
    int count = 0;
    std::uint64_t key[8];
    std::size_t slot[8];
  };
  static constexpr int kEmpty = -1;  // never used: ends a search
  static constexpr int kFreed = -2;  // a cell emptied by Remove

  Span SpanOf(const std::vector<bool>& held, double margin) const;
  std::int64_t CellOf(double w) const;
  std::uint64_t KeyOf(const double* w) const;
  std::size_t SlotAt(const double* w) const;
  std::size_t HashOf(std::uint64_t key) const;
  std::uint64_t ShareOf(int k, std::int64_t c) const;
  static std::uint32_t TagOf(std::uint64_t key);
  Cells Around(const double* w) const;
  int Find(std::uint64_t key, std::size_t slot) const;
  void Link(int a);

  std::vector<double> reach2_;
  int classes_;
  double around_ = 0;  // the margin and the largest reach: how far a centre's searches go
  std::int64_t per_side_ = 1;
  int slot_bits_ = 4;
  bool dense_ = false;  // a first atom for every cell atoms can reach, in spans_
  Span spans_[3];
  std::vector<Slot> slots_;  // hashed: the cells that hold atoms
  std::vector<int> heads_;   // dense: every cell's first atom, or -1
  std::vector<Atom> atoms_;
};

// Positions are wrapped into the box, and distances take the nearest image.
void WrapIntoBox(const double* p, double* w);

// delta = w - v for two wrapped positions, its nearest image (box units).
inline void NearestImage(const double* w, const double* v, double* delta) {
  for (int k = 0; k < 3; ++k) {
    // Both in [0, 1]: the nearest image is at most one box away.
    delta[k] = w[k] - v[k];
    if (delta[k] > 0.5) {
      delta[k] -= 1;
    } else if (delta[k] < -0.5) {
      delta[k] += 1;
    }
  }
}

inline double SquareOf(const double* delta) {
  return delta[0] * delta[0] + delta[1] * delta[1] + delta[2] * delta[2];
}

// The square of the distance between two wrapped positions, nearest image.
inline double SquareApart(const double* w, const double* v) {
  double delta[3];
  NearestImage(w, v, delta);
  return SquareOf(delta);
}

template <class Near>
void AtomGrid::Visit(const double* p, Near near) const {
  double w[3];
  WrapIntoBox(p, w);
  const Cells cells = Around(w);
  for (int i = 0; i < cells.count; ++i) {
    for (int a = Find(cells.key[i], cells.slot[i]); a >= 0; a = atoms_[a].next) {
      double delta[3];
      NearestImage(w, atoms_[a].xyz, delta);
      if (!near(delta, atoms_[a].cls)) return;
    }
  }
}
