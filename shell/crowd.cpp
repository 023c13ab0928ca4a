// The relaxation of a crowded shell. Every number comes from +, -, *, / and
// square roots of the offsets, so the result is the same on every machine.
#include "shell/crowd.hpp"

#include <cmath>

namespace {

// The effort for one central atom: kCrowdAttempts attempts of at most kSweeps
// sweeps each.
constexpr int kSweeps = 200;
// Members are pushed apart to their distance and a margin: 2 % at first, half
// of it after every kSweepsPerHalving sweeps. Aiming beyond the distance
// spreads the crowd evenly before it settles; the shrinking margin lets a
// crowd settle that only just fits.
constexpr double kFirstMargin = 0.02;
constexpr int kSweepsPerHalving = 20;

// Adds to `move` what takes a point `delta` away from another out to `want`.
void PushAway(const double* delta, double want, double* move) {
  double sum = 0;
  for (int k = 0; k < 3; ++k) sum += delta[k] * delta[k];
  if (!(sum < want * want)) return;
  const double length = std::sqrt(sum);
  if (length == 0) {
    move[0] += want;  // on top of each other: any way out
    return;
  }
  const double scale = (want - length) / length;
  for (int k = 0; k < 3; ++k) move[k] += delta[k] * scale;
}

// Scales the offset to the nearest distance from the centre within the shell.
void IntoShell(CrowdMember& member) {
  double* o = member.offset;
  const double length = std::sqrt(o[0] * o[0] + o[1] * o[1] + o[2] * o[2]);
  if (length == 0) {
    o[2] = member.inner;
    return;
  }
  const double want = std::fmax(member.inner, std::fmin(member.outer, length));
  if (want == length) return;
  const double scale = want / length;
  for (int k = 0; k < 3; ++k) o[k] *= scale;
}

// One sweep: each member in turn moves out of every overlap, with the other
// members and with the atoms around, by the whole shortfall of each, and back
// into its shell.
void Sweep(std::vector<CrowdMember>& crowd, const double* centre, const AtomGrid& grid,
           const PairReach& reach, double margin) {
  for (std::size_t i = 0; i < crowd.size(); ++i) {
    CrowdMember& member = crowd[i];
    double move[3] = {0, 0, 0};
    for (std::size_t j = 0; j < crowd.size(); ++j) {
      if (j == i) continue;
      double delta[3];
      for (int k = 0; k < 3; ++k) {
        delta[k] = member.offset[k] - crowd[j].offset[k];
        delta[k] -= std::nearbyint(delta[k]);
      }
      PushAway(delta, reach.Between(member.cls, crowd[j].cls) * (1 + margin), move);
    }
    double p[3];
    for (int k = 0; k < 3; ++k) p[k] = centre[k] + member.offset[k];
    grid.Visit(p, [&](const double* delta, int cls) {
      PushAway(delta, reach.Between(member.cls, cls) * (1 + margin), move);
      return true;
    });
    for (int k = 0; k < 3; ++k) member.offset[k] += move[k];
    IntoShell(member);
  }
}

// Whether the crowd keeps every distance, judged as the grid judges.
bool Settled(const std::vector<CrowdMember>& crowd, const double* centre, const AtomGrid& grid,
             const PairReach& reach) {
  std::vector<double> wrapped(3 * crowd.size());
  for (std::size_t i = 0; i < crowd.size(); ++i) {
    double p[3];
    for (int k = 0; k < 3; ++k) p[k] = centre[k] + crowd[i].offset[k];
    if (!grid.Clear(p, crowd[i].cls)) return false;
    WrapIntoBox(p, &wrapped[3 * i]);
    for (std::size_t j = 0; j < i; ++j) {
      if (SquareApart(&wrapped[3 * i], &wrapped[3 * j]) <
          reach.Squared(crowd[i].cls, crowd[j].cls)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool SettleCrowd(std::vector<CrowdMember>& crowd, const double* centre, const AtomGrid& grid,
                 const PairReach& reach, const std::function<void(CrowdMember&)>& redraw) {
  for (int attempt = 0; attempt < kCrowdAttempts; ++attempt) {
    if (attempt > 0) {
      for (CrowdMember& member : crowd) redraw(member);
    }
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
      Sweep(crowd, centre, grid, reach, kFirstMargin / (1 << sweep / kSweepsPerHalving));
      if (Settled(crowd, centre, grid, reach)) return true;
    }
  }
  return false;
}
