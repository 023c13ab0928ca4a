// Writes the inputs of the grow workloads with a minimum distance into one
// directory, the same bytes on every run (STEM.incfg and STEM.dat each):
//   lattice-kK   1000 centres on a cubic lattice 3.104 apart (box 31.04),
//                K neighbours each between 0.9 and 1.1, for K = 2, 4, 12, 24
//   cluster      100000 random centres in a cube holding 1 % of a box of 215,
//                4 neighbours each between 1.0 and 1.2
//   even         100000 random centres spread over a box of 46.32, the
//                cluster's density: what the cluster costs with no clustering
//   spread       100000 random centres over a box of 215, 4 neighbours each
//                between 1.0 and 1.2
//   speck-N      N = 10000, 30000, 100000 random centres in a cube of side 0.1
//                in a box of 100, 4 neighbours each between 1.0 and 1.2
// Usage: gen_grow_workloads DIR
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// splitmix64: a small fixed-seed generator, identical on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  // Uniform in [0, 1), 53 random bits.
  double Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1.0p-53;
  }

 private:
  std::uint64_t state_;
};

std::FILE* Open(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    std::exit(1);
  }
  return file;
}

void Close(std::FILE* file, const std::string& path) {
  if (std::ferror(file) || std::fclose(file) != 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
}

// The centres of a layout, in box units (-0.5 .. 0.5), one after another.
using Layout = void (*)(int atoms, std::uint64_t seed, double spread, double* xyz);

void Lattice(int atoms, std::uint64_t, double, double* xyz) {
  const int side = static_cast<int>(std::lround(std::cbrt(atoms)));
  for (int i = 0; i < atoms; ++i) {
    xyz[3 * i] = (i % side + 0.5) / side - 0.5;
    xyz[3 * i + 1] = (i / side % side + 0.5) / side - 0.5;
    xyz[3 * i + 2] = (i / side / side + 0.5) / side - 0.5;
  }
}

// Uniform in a cube of side `spread` (box units) at the box's corner -0.5.
void InCube(int atoms, std::uint64_t seed, double spread, double* xyz) {
  Random random(seed);
  for (int i = 0; i < 3 * atoms; ++i) xyz[i] = random.Next() * spread - 0.5;
}

// A version 3 configuration of `atoms` atoms of one type, and a shell file
// asking for `count` neighbours of type 2 between `inner` and `outer`.
void Write(const std::string& stem, int atoms, double box, Layout layout, double spread,
           std::uint64_t seed, int count, double inner, double outer) {
  std::FILE* cfg = Open(stem + ".incfg");
  std::fprintf(cfg,
               " (Version 3 format configuration file) !file created by SimpleCfg::save !\n"
               "bench workload %s\n\n\n"
               "          0         0         0 moves generated, tried, accepted \n"
               "          0              configurations saved\n \n"
               " %10d molecules of all types\n"
               "          1 types of molecules \n"
               "          1 is the largest number of atoms in a molecule \n"
               "          0 Euler angles are provided \n \n"
               "          F (box is cubic)\t\n"
               "            Defining vectors are: \n"
               "            %10.6f   0.000000   0.000000\n"
               "              0.000000 %10.6f   0.000000\n"
               "              0.000000   0.000000 %10.6f\n\n"
               " %10d molecules of type  1\n"
               "          1 atomic sites \n"
               "              0.000000   0.000000   0.000000\n \n",
               stem.c_str() + stem.rfind('/') + 1, atoms, box, box, box, atoms);
  std::vector<double> xyz(3 * static_cast<std::size_t>(atoms));
  layout(atoms, seed, spread, xyz.data());
  for (int i = 0; i < atoms; ++i) {
    std::fprintf(cfg, " %.15f  %.15f  %.15f\n", xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]);
  }
  Close(cfg, stem + ".incfg");
  std::FILE* dat = Open(stem + ".dat");
  std::fprintf(dat, " %d\t! centres\n 2\n 1\n 0 %d\n 0 %g\n 0 %g\n", atoms, count, inner, outer);
  Close(dat, stem + ".dat");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  for (const int k : {2, 4, 12, 24}) {
    Write(dir + "lattice-k" + std::to_string(k), 1000, 31.04, Lattice, 1, 0, k, 0.9, 1.1);
  }
  // A cube holding 1 % of the box has sides of cbrt(0.01) = 0.21544 of it.
  const double corner = std::cbrt(0.01);
  Write(dir + "cluster", 100000, 215, InCube, corner, 7, 4, 1.0, 1.2);
  Write(dir + "even", 100000, 215 * corner, InCube, 1, 7, 4, 1.0, 1.2);
  Write(dir + "spread", 100000, 215, InCube, 1, 8, 4, 1.0, 1.2);
  for (const int n : {10000, 30000, 100000}) {
    Write(dir + "speck-" + std::to_string(n), n, 100, InCube, 0.001, 9, 4, 1.0, 1.2);
  }
  return 0;
}
