// The neighbours of one central atom moved together, when drawing them one at
// a time finds no room for one of them: a short relaxation that pushes them
// apart while keeping each inside its shell.
#pragma once

#include <functional>
#include <vector>

#include "shell/atom_grid.hpp"
#include "shell/min_distance.hpp"

// A neighbour of the crowd: its type (for the caller's draws), its class,
// its shell and its offset from the central atom (both in box units).
struct CrowdMember {
  int type = 0;
  int cls = 0;
  double inner = 0;
  double outer = 0;
  double offset[3] = {0, 0, 0};
};

// Moves the crowd around the central atom at `centre` until no member lies
// closer than its pair's distance to another member or to an atom of `grid`
// (which holds everything but the crowd), each member within its shell.
// Starts from the offsets given; each further attempt starts from offsets that
// `redraw` draws afresh. Returns false when the bounded effort is spent:
// kCrowdAttempts attempts.
inline constexpr int kCrowdAttempts = 20;
bool SettleCrowd(std::vector<CrowdMember>& crowd, const double* centre, const AtomGrid& grid,
                 const PairReach& reach, const std::function<void(CrowdMember&)>& redraw);
