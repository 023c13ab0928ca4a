// Checks a grown configuration on its own, without the program's code: every
// neighbour lies in its shell, and no two atoms (other than two central
// atoms) are closer than the minimum distance of their pair of types, under
// the minimum image in the cubic box. The pairs are found by a cell search of
// its own: atoms sorted by cell, each cell's range found by binary search.
// Usage: verify_grow STEM DISTANCES
// reads STEM.dat, STEM.cfg and STEM.fnc; DISTANCES as --min-distance takes
// it: one number for every pair of types, or a list such as 1-2=0.9,*=0.8.
// Prints the figures and the first violations; exit status 1 if any.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "verify_grow: %s\n", what.c_str());
  std::exit(2);
}

// Tolerance of a distance read back from 15 decimals, as `fncprep check` takes it.
constexpr double kSlack = 1e-10;

struct Shells {
  int central = 0;  // 0-based
  std::vector<int> counts;
  std::vector<double> inner, outer;
};

Shells ReadShells(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<double>> lines;
  for (std::string line; lines.size() < 6 && std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<double> values;
    for (double value = 0; words >> value;) values.push_back(value);
    lines.push_back(values);
  }
  if (lines.size() < 6 || lines[1].empty() || lines[2].empty()) Fail(path + ": not a shell file");
  const auto types = static_cast<std::size_t>(lines[1][0]);
  Shells shells;
  shells.central = static_cast<int>(lines[2][0]) - 1;
  for (std::size_t t = 0; t < types; ++t) {
    if (lines[3].size() < types || lines[4].size() < types || lines[5].size() < types) {
      Fail(path + ": fewer values than types");
    }
    shells.counts.push_back(static_cast<int>(lines[3][t]));
    shells.inner.push_back(std::min(lines[4][t], lines[5][t]));
    shells.outer.push_back(std::max(lines[4][t], lines[5][t]));
  }
  return shells;
}

struct Configuration {
  double box = 0;
  std::vector<int> type;    // per atom
  std::vector<double> xyz;  // box units
};

Configuration ReadConfiguration(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  Configuration cfg;
  long atoms = -1;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].find("molecules of all types") != std::string::npos) atoms = std::stol(lines[i]);
    if (lines[i].find("Defining vectors") != std::string::npos) cfg.box = std::stod(lines[i + 1]);
    if (lines[i].find("molecules of type") != std::string::npos) {
      const int t = static_cast<int>(std::stol(lines[i].substr(lines[i].rfind(' ')))) - 1;
      cfg.type.insert(cfg.type.end(), static_cast<std::size_t>(std::stol(lines[i])), t);
    }
  }
  if (atoms < 0 || !(cfg.box > 0) || static_cast<long>(cfg.type.size()) != atoms ||
      static_cast<long>(lines.size()) < atoms) {
    Fail(path + ": not a configuration the program writes");
  }
  for (auto line = lines.end() - atoms; line != lines.end(); ++line) {
    std::istringstream values(*line);
    double x = 0, y = 0, z = 0;
    if (!(values >> x >> y >> z)) Fail(path + ": a coordinate line without three numbers");
    cfg.xyz.insert(cfg.xyz.end(), {x, y, z});
  }
  return cfg;
}

// The central rows of the constraint file: each central atom and its neighbours
// (0-based), those rows being the first N of the file.
std::vector<std::pair<long, std::vector<long>>> ReadCentralRows(const std::string& path,
                                                                long atoms) {
  std::ifstream in(path);
  for (std::string line; std::getline(in, line) && line.find("pairs:") == std::string::npos;) {
  }
  long kinds = 0;
  in >> kinds;
  for (double skip = 0; kinds-- > 0;) in >> skip >> skip;
  long rows = 0;
  in >> rows;
  std::vector<std::pair<long, std::vector<long>>> central;
  long first_count = -1;
  for (long row = 0; row < rows && in; ++row) {
    long atom = 0, count = 0;
    in >> atom >> count;
    if (first_count < 0) first_count = count;
    std::vector<long> list(static_cast<std::size_t>(std::max(count, 0L)));
    for (long& other : list) {
      in >> other;
      --other;
    }
    for (long i = 0, skip = 0; i < count; ++i) in >> skip;
    // N central rows of S entries, then N x S rows of one: N = atoms / (1 + S).
    if (row < atoms / (1 + first_count)) central.emplace_back(atom - 1, std::move(list));
  }
  if (!in) Fail(path + ": ends early");
  return central;
}

// Minimum distance per pair of types (0-based), from "0.8" or "1-2=0.9,*=0.8".
struct Distances {
  double fallback = 0;
  std::map<std::pair<int, int>, double> pairs;
  double Of(int a, int b) const {
    const auto found = pairs.find({std::min(a, b), std::max(a, b)});
    return found == pairs.end() ? fallback : found->second;
  }
  double Largest() const {
    double largest = fallback;
    for (const auto& [pair, d] : pairs) largest = std::max(largest, d);
    return largest;
  }
};

Distances ParseDistances(const std::string& text) {
  Distances distances;
  if (text.find('=') == std::string::npos) {
    distances.fallback = std::stod(text);
    return distances;
  }
  std::istringstream items(text);
  for (std::string item; std::getline(items, item, ',');) {
    const std::size_t equals = item.find('=');
    const double d = std::stod(item.substr(equals + 1));
    if (item.substr(0, equals) == "*") {
      distances.fallback = d;
    } else {
      const std::size_t dash = item.find('-');
      const int a = std::stoi(item.substr(0, dash)) - 1;
      const int b = std::stoi(item.substr(dash + 1, equals - dash - 1)) - 1;
      distances.pairs[{std::min(a, b), std::max(a, b)}] = d;
    }
  }
  return distances;
}

double Distance(const Configuration& cfg, long a, long b) {
  double sum = 0;
  for (int k = 0; k < 3; ++k) {
    double d = cfg.xyz[3 * b + k] - cfg.xyz[3 * a + k];
    d -= std::nearbyint(d);
    sum += d * d * cfg.box * cfg.box;
  }
  return std::sqrt(sum);
}

struct Report {
  long pairs = 0;
  long below = 0;
  double closest = INFINITY;  // the smallest distance / minimum distance
  std::vector<std::string> first;
  void Note(const std::string& line) {
    if (first.size() < 10) first.push_back(line);
  }
};

// Every neighbour of each central row within its type's shell.
long CheckShells(const Configuration& cfg, const Shells& shells,
                 const std::vector<std::pair<long, std::vector<long>>>& central, Report& report) {
  long outside = 0;
  for (const auto& [centre, list] : central) {
    for (const long b : list) {
      const int t = cfg.type[static_cast<std::size_t>(b)];
      const double r = Distance(cfg, centre, b);
      if (r < shells.inner[t] - kSlack * cfg.box || r > shells.outer[t] + kSlack * cfg.box) {
        ++outside;
        char line[160];
        std::snprintf(line, sizeof line, "atom %ld at %.12g from its centre %ld, shell %g .. %g",
                      b + 1, r, centre + 1, shells.inner[t], shells.outer[t]);
        report.Note(line);
      }
    }
  }
  return outside;
}

// One pair: counted, and noted when closer than its minimum distance.
void CheckPair(const Configuration& cfg, const Distances& distances,
               const std::vector<bool>& is_centre, long a, long b, Report& report) {
  if (is_centre[a] && is_centre[b]) return;
  const double want = distances.Of(cfg.type[a], cfg.type[b]);
  if (!(want > 0)) return;
  ++report.pairs;
  const double r = Distance(cfg, a, b);
  report.closest = std::min(report.closest, r / want);
  if (r < want - kSlack * cfg.box) {
    ++report.below;
    char line[160];
    std::snprintf(line, sizeof line, "atoms %ld and %ld at %.12g, closer than %g", a + 1, b + 1, r,
                  want);
    report.Note(line);
  }
}

// All pairs within the largest minimum distance, by sorted cells.
void CheckPairs(const Configuration& cfg, const Distances& distances,
                const std::vector<bool>& is_centre, Report& report) {
  const long atoms = static_cast<long>(cfg.type.size());
  const double reach = distances.Largest();
  if (!(reach > 0)) return;
  const std::int64_t per_side =
      std::clamp<std::int64_t>(static_cast<std::int64_t>(cfg.box / reach), 1, 1 << 20);
  if (per_side < 3) {
    for (long a = 0; a < atoms; ++a) {
      for (long b = a + 1; b < atoms; ++b) CheckPair(cfg, distances, is_centre, a, b, report);
    }
    return;
  }
  const auto cell = [&](long a, int k) {
    const double x = cfg.xyz[3 * a + k] - std::floor(cfg.xyz[3 * a + k]);
    return std::min(per_side - 1, static_cast<std::int64_t>(x * static_cast<double>(per_side)));
  };
  const auto key = [&](std::int64_t x, std::int64_t y, std::int64_t z) {
    return ((z + per_side) % per_side * per_side + (y + per_side) % per_side) * per_side +
           (x + per_side) % per_side;
  };
  std::vector<std::pair<std::int64_t, long>> sorted(static_cast<std::size_t>(atoms));
  for (long a = 0; a < atoms; ++a) sorted[a] = {key(cell(a, 0), cell(a, 1), cell(a, 2)), a};
  std::sort(sorted.begin(), sorted.end());
  for (long a = 0; a < atoms; ++a) {
    for (int z = -1; z <= 1; ++z) {
      for (int y = -1; y <= 1; ++y) {
        for (int x = -1; x <= 1; ++x) {
          const std::int64_t k = key(cell(a, 0) + x, cell(a, 1) + y, cell(a, 2) + z);
          auto it = std::lower_bound(sorted.begin(), sorted.end(), std::make_pair(k, 0L));
          for (; it != sorted.end() && it->first == k; ++it) {
            if (it->second > a) CheckPair(cfg, distances, is_centre, a, it->second, report);
          }
        }
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: verify_grow STEM DISTANCES\n");
    return 2;
  }
  const std::string stem = argv[1];
  const Shells shells = ReadShells(stem + ".dat");
  const Configuration cfg = ReadConfiguration(stem + ".cfg");
  const auto central = ReadCentralRows(stem + ".fnc", static_cast<long>(cfg.type.size()));
  const Distances distances = ParseDistances(argv[2]);
  std::vector<bool> is_centre(cfg.type.size(), false);
  for (const auto& row : central) is_centre[static_cast<std::size_t>(row.first)] = true;

  Report report;
  const long outside = CheckShells(cfg, shells, central, report);
  CheckPairs(cfg, distances, is_centre, report);
  std::printf(
      "%zu centres; neighbours outside their shell: %ld; pairs within reach: %ld, "
      "closest / minimum distance %.9f, below it: %ld\n",
      central.size(), outside, report.pairs, report.closest, report.below);
  for (const std::string& line : report.first) std::printf("  %s\n", line.c_str());
  return outside == 0 && report.below == 0 ? 0 : 1;
}
