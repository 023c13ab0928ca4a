// Figures of a grown configuration, from its .cfg and .fnc files alone:
//   - of the neighbours, the fraction with |cos theta| > 0.9 (theta from the
//     z axis) and the fraction in the inner half of the shell's volume;
//   - the neighbours outside the shell [RI, RO];
//   - the smallest distance between two atoms that are not both central
//     atoms (minimum image in the cubic box), among those closer than 1.
// Usage: shell_stats CFG FNC CENTRES RI RO [BINS]
// where the first CENTRES atoms are the central atoms; with BINS, a file that
// gets the counts of cos theta in 20 bins from -1 to 1, one per line.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 6 && argc != 7) {
    std::cerr << "usage: shell_stats CFG FNC CENTRES RI RO [BINS]\n";
    return 2;
  }
  const long centres = std::stol(argv[3]);
  const double inner = std::stod(argv[4]);
  const double outer = std::stod(argv[5]);

  // The atom count and the box; the coordinates, in box units, are the
  // file's last lines.
  std::ifstream cfg(argv[1]);
  std::string line;
  std::vector<std::string> lines;
  long total = 0;
  double box = 0;
  while (std::getline(cfg, line)) {
    if (line.find("molecules of all types") != std::string::npos) total = std::stol(line);
    if (!lines.empty() && lines.back().find("Defining vectors") != std::string::npos)
      box = std::stod(line);
    lines.push_back(line);
  }
  std::vector<double> xyz;
  for (std::size_t i = lines.size() - static_cast<std::size_t>(total); i < lines.size(); ++i) {
    std::istringstream values(lines[i]);
    for (double value = 0; values >> value;) xyz.push_back(value * box);
  }
  const long atoms = static_cast<long>(xyz.size() / 3);
  const auto delta = [&](long a, long b, int k) {
    const double d = xyz[3 * b + k] - xyz[3 * a + k];
    return d - box * std::nearbyint(d / box);
  };

  // The constraint file: lines of title up to the heading of the pair kinds,
  // the kinds, then per atom its number, its count, its neighbours and kinds.
  std::ifstream fnc(argv[2]);
  while (std::getline(fnc, line) && line.find("pairs:") == std::string::npos) {
  }
  int kinds = 0;
  fnc >> kinds;
  double skip = 0;
  for (int i = 0; i < 2 * kinds; ++i) fnc >> skip;
  long rows = 0;
  fnc >> rows;
  long neighbours = 0, polar = 0, inner_half = 0, outside = 0;
  std::vector<long> bins(20);
  const double middle3 = (inner * inner * inner + outer * outer * outer) / 2;
  for (long row = 0; row < rows; ++row) {
    long atom = 0, count = 0;
    fnc >> atom >> count;
    std::vector<long> list(static_cast<std::size_t>(count));
    for (long& other : list) fnc >> other;
    for (long i = 0; i < count; ++i) fnc >> skip;
    if (atom > centres) continue;
    for (const long other : list) {
      const double d[3] = {delta(atom - 1, other - 1, 0), delta(atom - 1, other - 1, 1),
                           delta(atom - 1, other - 1, 2)};
      const double r = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
      ++neighbours;
      polar += std::fabs(d[2] / r) > 0.9;
      ++bins[std::min(19, static_cast<int>((d[2] / r + 1) * 10))];
      inner_half += r * r * r < middle3;
      outside += r < inner - 1e-9 || r > outer + 1e-9;
    }
  }

  // Smallest distance below 1, by cells at least 1 wide, about one atom each.
  const int cells =
      std::max(1, std::min(static_cast<int>(box), static_cast<int>(std::cbrt(atoms))));
  std::vector<std::vector<long>> grid(static_cast<std::size_t>(cells) * cells * cells);
  const auto cell_of = [&](long a, int k) {
    const double x = xyz[3 * a + k] / box;
    return std::min(cells - 1, static_cast<int>((x - std::floor(x)) * cells));
  };
  for (long a = 0; a < atoms; ++a)
    grid[(static_cast<std::size_t>(cell_of(a, 2)) * cells + cell_of(a, 1)) * cells + cell_of(a, 0)]
        .push_back(a);
  double closest = 1;
  for (long a = centres; a < atoms; ++a) {  // one of the pair is a neighbour
    const int span = cells >= 3 ? 1 : 0;
    for (int z = -span; z <= span; ++z)
      for (int y = -span; y <= span; ++y)
        for (int x = -span; x <= span; ++x) {
          const int c[3] = {(cell_of(a, 0) + x + cells) % cells,
                            (cell_of(a, 1) + y + cells) % cells,
                            (cell_of(a, 2) + z + cells) % cells};
          for (const long b :
               grid[(static_cast<std::size_t>(c[2]) * cells + c[1]) * cells + c[0]]) {
            if (b == a) continue;
            const double d[3] = {delta(a, b, 0), delta(a, b, 1), delta(a, b, 2)};
            closest = std::min(closest, std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]));
          }
        }
  }
  std::printf(
      "neighbours %ld: |cos theta| > 0.9 %.2f %%, inner half of the volume %.2f %%, outside the "
      "shell %ld\n",
      neighbours, 100.0 * polar / neighbours, 100.0 * inner_half / neighbours, outside);
  std::printf("closest pair with a neighbour in it: %s%.9f\n", closest < 1 ? "" : ">= ", closest);
  if (argc == 7) {
    std::ofstream out(argv[6]);
    for (const long count : bins) out << count << "\n";
  }
  return 0;
}
