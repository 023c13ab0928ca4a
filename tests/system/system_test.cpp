// The real program against models written from the definitions: mode 1 against the shell placement
// (numbering and windows byte for byte, every coordinate from the seed with trigonometry of the
// model's own), mode 2 against a liquid stored element by element, byte for byte, and constrain
// against liquids of random tree-shaped molecules (every pair to the depth, in both directions,
// with its kind). Golden cases pin the headers.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <sstream>
#include <tuple>

#include "shell/random_uniform.hpp"

namespace {

namespace fs = std::filesystem;

std::string Format(const char* format, auto... values) {
  char text[1024];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Runs the program with `args` in the test's own folder, which holds `files`;
// with `check`, then checks the grown configuration `check`.cfg. Both must succeed.
fs::path RunProgram(const std::vector<std::pair<std::string, std::string>>& files,
                    const std::string& args, const std::string& check = "") {
  // A folder of this process's own, so that suites running at once do not meet.
  static const struct Scratch {
    std::string root = testing::TempDir() + "fncprep-XXXXXX";
    Scratch() { EXPECT_NE(mkdtemp(root.data()), nullptr); }
    ~Scratch() { fs::remove_all(root); }
  } scratch;
  const fs::path dir =
      fs::path(scratch.root) / testing::UnitTest::GetInstance()->current_test_info()->name();
  fs::create_directories(dir);
  for (const auto& [name, text] : files) std::ofstream(dir / name) << text;
  for (const std::string& command :
       {args,
        check.empty() ? std::string("--version") : "check " + check + ".cfg " + check + ".fnc"}) {
    const int status = std::system(
        ("cd '" + dir.string() + "' && " FNCPREP_BINARY " " + command + " >.out 2>&1").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << command << ": " << ReadFile(dir / ".out");
  }
  return dir;
}

// A constraint file: windows with `precision` digits, a row per atom with neighbours and kinds.
struct Row {
  int atom = 0;
  std::vector<std::pair<int, int>> neighbours;
};

std::string FncText(const std::vector<double>& rmin, const std::vector<double>& rmax, int precision,
                    const std::vector<Row>& rows) {
  std::string text =
      "This is a .fnc file created by FNC::rawsave \n\n No. of possible rmin-rmax pairs: \n" +
      Format("%7zu\n", rmin.size());
  for (const auto* window : {&rmin, &rmax}) {
    for (const double r : *window) text += Format("%7.*g", precision, r);
    text += "\n";
  }
  text += Format(" \n%7zu\n \n", rows.size());
  for (const Row& row : rows) {
    text += Format("%10d%10zu\n", row.atom, row.neighbours.size());
    for (const auto& [atom, kind] : row.neighbours) text += Format("%10d", atom);
    text += "\n";
    for (const auto& [atom, kind] : row.neighbours) text += Format("%4d", kind);
    text += "\n";
  }
  return text;
}

// The generator in 64 bits: s -> 16807 s mod (2^31 - 1); it starts from the
// seed modulo 2^31 - 1 (1 for 0) with 8 warm-up steps and a 32-slot table
// filled from the back; the slot is the last output / 2^26; outputs are scaled
// by 1 / (2^31 - 1) and clamped below 1.
class Uniform {
 public:
  explicit Uniform(std::int64_t seed) : s_(seed % 2147483647 == 0 ? 1 : seed % 2147483647) {
    for (int result = 1; result <= 40; ++result) {
      s_ = 16807 * s_ % 2147483647;
      if (result >= 9) table_[40 - result] = s_;
    }
    last_ = table_[0];
  }

  double Next() {
    s_ = 16807 * s_ % 2147483647;
    const std::int64_t slot = last_ / 67108864;
    last_ = table_[slot];
    table_[slot] = s_;
    return std::min(static_cast<double>(last_) * (1.0 / 2147483647.0), 0.99999988);
  }

 private:
  std::int64_t s_;
  std::int64_t table_[32] = {};
  std::int64_t last_ = 0;
};

// The generator against the model, from seeds whose state after the warm-up
// (the first to pick a slot, and an output later) lies on either side of every
// slot boundary or near the largest outputs, which are clamped; and from random seeds.
TEST(GeneratorModel, SlotBoundariesAndLargestOutputs) {
  const auto seed_reaching = [](std::int64_t state, int steps) {  // the steps taken backwards
    for (int i = 0; i < steps; ++i) state = state * 1407677000 % 2147483647;  // times 1 / 16807
    return static_cast<std::uint32_t>(state);
  };
  // The largest seeds, 0, and a sequence that passes through the state 1.
  std::vector<std::uint32_t> seeds = {1,           2147483648U, 2147483647,
                                      4294967295U, 0,           seed_reaching(1, 41)};
  for (std::int64_t k = 1; k < 32; ++k)
    seeds.insert(seeds.end(), {seed_reaching((k << 26) - 1, 40), seed_reaching(k << 26, 40)});
  for (int below = 1; below < 300; below += 37)
    seeds.push_back(seed_reaching(2147483647 - below, 40));
  std::mt19937 random(8);
  for (int i = 0; i < 100; ++i) seeds.push_back(static_cast<std::uint32_t>(random() >> 1));
  for (const std::uint32_t start : seeds) {
    RandomUniform generator(start);
    Uniform model(start);
    for (int draw = 0; draw < 1000; ++draw)
      ASSERT_EQ(generator.Next(), model.Next()) << start << ", draw " << draw;
  }
}

// Sine and cosine of the model: long double, rounded to double, so within
// half a unit in the last place of the true values, and computed apart from
// the program's own.
void SinCos(double x, double& sine, double& cosine) {
  sine = static_cast<double>(std::sin(static_cast<long double>(x)));
  cosine = static_cast<double>(std::cos(static_cast<long double>(x)));
}

struct Shells {
  int n;        // central atoms asked for
  int central;  // 1-based
  std::vector<int> counts;
  std::vector<double> inner, outer;
};

// Mode 1 on `available` centres in a box of 17.5: central atoms first in their
// type's block, then the neighbours by centre; rows: the centres', then the
// neighbours' by type and centre.
void ExpectGrowth(const Shells& s, int available, std::int32_t seed) {
  const double box = 17.5;
  std::mt19937 random(static_cast<unsigned>(available));
  std::vector<double> centres;  // multiples of 2^-10: the file holds them exactly
  std::string incfg =
      Format("centres\n\n\n\n\n\n\n%d\n1\n\n\n\n\n\n%g 0 0\n0 %g 0\n0 0 %g\n\n%d\n\n\n\n",
             available, box, box, box, available);
  for (int i = 0; i < 3 * available; ++i) {
    centres.push_back(static_cast<double>(random() % 2048) / 1024 - 0.5);
    incfg += Format("%.17g\n", centres.back());
  }
  std::string dat = Format("%d ! N\n%zu\n%d\n", s.n, s.counts.size(), s.central);
  for (const int c : s.counts) dat += Format("%d ", c);
  for (const auto* radii : {&s.inner, &s.outer}) {
    dat += "\n";
    for (const double r : *radii) dat += Format("%.17g ", r);
  }
  const fs::path dir = RunProgram({{"s.incfg", incfg}, {"s.dat", dat + "\n"}},
                                  Format("grow s --seed %d", seed), "s");

  const int n = std::min(s.n, available), types = static_cast<int>(s.counts.size()),
            ct = s.central - 1;
  std::vector<int> start(types + 1, 0), kind(types), first_row(types + 1, n);
  std::vector<double> rmin, rmax;
  for (int t = 0, kinds = 0; t < types; ++t) {
    start[t + 1] = start[t] + n * s.counts[t] + (t == ct ? n : 0);
    kind[t] = s.counts[t] > 0 ? ++kinds : 0;
    first_row[t + 1] = first_row[t] + n * s.counts[t];
    if (s.counts[t] > 0) rmin.push_back(s.inner[t]), rmax.push_back(s.outer[t]);
  }
  std::vector<double> xyz(3 * static_cast<std::size_t>(start[types]));
  std::vector<Row> rows(static_cast<std::size_t>(start[types]));
  Uniform uniform(seed);
  for (int j = 0; j < n; ++j) {
    const double* c = &centres[3 * j];
    std::copy_n(c, 3, &xyz[3 * (start[ct] + j)]);
    rows[j].atom = start[ct] + j + 1;
    for (int t = 0; t < types; ++t) {
      for (int m = 0; m < s.counts[t]; ++m) {
        const double u1 = uniform.Next(), u2 = uniform.Next(), u3 = uniform.Next();
        const double r = (s.inner[t] + u1 * (s.outer[t] - s.inner[t])) / box;
        double sin_t = 0, cos_t = 0, sin_p = 0, cos_p = 0;
        SinCos(3.14159265359 * u2, sin_t, cos_t);
        SinCos(6.28318530718 * u3, sin_p, cos_p);
        const int atom = start[t] + (t == ct ? n : 0) + s.counts[t] * j + m;
        const double p[3] = {c[0] + r * sin_t * cos_p, c[1] + r * sin_t * sin_p, c[2] + r * cos_t};
        std::copy_n(p, 3, &xyz[3 * atom]);
        rows[j].neighbours.emplace_back(atom + 1, kind[t]);
        rows[first_row[t] + s.counts[t] * j + m] = {atom + 1, {{rows[j].atom, kind[t]}}};
      }
    }
  }
  const std::string cfg = ReadFile(dir / "s.cfg");
  std::size_t header = 0;  // 18 lines and 4 per type
  for (std::size_t line = 0; line < 18 + 4 * s.counts.size(); ++line)
    header = cfg.find('\n', header) + 1;
  // The sines and cosines of program and model may each be one unit in the
  // last place away from the true values: positions are compared within one
  // unit of the last decimal written (the 15th).
  std::istringstream written(cfg.substr(header));
  const std::vector<double> positions{std::istream_iterator<double>(written), {}};
  ASSERT_EQ(positions.size(), xyz.size());
  for (std::size_t i = 0; i < xyz.size(); ++i)
    ASSERT_NEAR(positions[i], xyz[i], 1e-15) << "atom " << i / 3 + 1 << ", coordinate " << i % 3;
  EXPECT_EQ(ReadFile(dir / "s.fnc"), FncText(rmin, rmax, 15, rows));
}

TEST(Mode1Model, CentralTypeFirst) {
  ExpectGrowth({40, 1, {0, 3}, {0, 1.0}, {0, 1.5}}, 40, 1700000000);
}

TEST(Mode1Model, CentralTypeLastWithNeighboursBeforeIt) {
  ExpectGrowth({25, 2, {2, 0}, {0.5, 0}, {0.75, 0}}, 30, 1000000000);
}

TEST(Mode1Model, NeighboursOfTheCentralTypeAndAReset) {
  ExpectGrowth({50, 2, {1, 2, 3}, {1, 0.2, 2.0}, {1, 0.4, 2.5}}, 20, 1893456000);
}

// Grown with a minimum distance: no two atoms closer than it but central atoms,
// and every neighbour in its shell (which the check sees to). The centres sit
// near the points of a lattice of 5 x 5 x 5 in the box.
TEST(Mode1Model, MinimumDistanceKeptAndEveryNeighbourInItsShell) {
  const double box = 11, gap = 0.8;
  std::mt19937 random(4);
  std::string incfg =
      Format("centres\n\n\n\n\n\n\n125\n1\n\n\n\n\n\n%g 0 0\n0 %g 0\n0 0 %g\n\n125\n\n\n\n", box,
             box, box);
  for (int i = 0; i < 375; ++i) {
    const int point = i / 3 / (i % 3 == 0 ? 1 : i % 3 == 1 ? 5 : 25) % 5;
    incfg +=
        Format("%.17g\n", (point + 0.5) / 5 - 0.5 + static_cast<double>(random() % 100) / 2000);
  }
  const auto distance = [&](const std::vector<double>& xyz, std::size_t a, std::size_t b) {
    double sum = 0;
    for (int k = 0; k < 3; ++k) {
      const double delta = xyz[3 * a + k] - xyz[3 * b + k];
      sum += std::pow(delta - std::nearbyint(delta), 2);
    }
    return std::sqrt(sum) * box;
  };
  for (const char* options :
       {"--seed 8 --min-distance 0.8", "--seed 9 --uniform --min-distance 0.8"}) {
    const fs::path dir = RunProgram({{"c.incfg", incfg}, {"c.dat", "125\n2\n1\n0 4\n0 1\n0 1.2\n"}},
                                    std::string("grow c ") + options, "c");
    const std::string cfg = ReadFile(dir / "c.cfg");
    std::istringstream numbers(cfg.substr(cfg.find("\n \n", cfg.rfind("atomic sites")) + 3));
    const std::vector<double> xyz{std::istream_iterator<double>(numbers), {}};
    ASSERT_EQ(xyz.size(), 3u * 625);
    for (std::size_t a = 125; a < 625; ++a) {
      const double r = distance(xyz, a, (a - 125) / 4);
      ASSERT_TRUE(r >= 1 - 1e-12 && r <= 1.2 + 1e-12)
          << options << ": atom " << a + 1 << " at " << r;
      for (std::size_t b = 0; b < a; ++b)
        ASSERT_GE(distance(xyz, a, b), gap) << options << ": atoms " << a + 1 << " and " << b + 1;
    }
  }
}

// A molecule type of the liquid: the element of each site, its index in the
// first molecule and its index step; pairs of sites with their kinds.
struct Type {
  int molecules = 0;
  std::vector<int> element, first, step;
  std::vector<std::array<int, 3>> pairs;  // site, site, kind
};

TEST(Mode2Model, RandomLiquidsStoredElementByElement) {
  std::mt19937 random(21);
  for (int trial = 0; trial < 60; ++trial) {
    std::vector<Type> types(1 + random() % 4);
    std::vector<double> rmin, rmax;  // kinds come in order of first use
    for (Type& type : types) {
      type.molecules = static_cast<int>(random() % 12);
      type.element.resize(1 + random() % 7);
      for (int& e : type.element) e = static_cast<int>(random() % 3);
      const int sites = static_cast<int>(type.element.size());
      std::set<std::pair<int, int>> taken;
      for (int p = static_cast<int>(random() % (2 * sites)); p > 0 && sites > 1; --p) {
        const int a = static_cast<int>(random() % sites), b = static_cast<int>(random() % sites);
        const int kind = 1 + static_cast<int>(random() % (rmin.size() + 1));
        if (a == b || !taken.insert(std::minmax(a, b)).second) continue;
        type.pairs.push_back({a, b, kind});
        if (kind > static_cast<int>(rmin.size())) {
          rmin.push_back(0.5 + static_cast<double>(random() % 1000) / 997);
          rmax.push_back(rmin.back() + static_cast<double>(random() % 1000) / 991);
        }
      }
    }
    // Element by element; within an element type by type, molecule by molecule.
    int atoms = 1;
    for (int e = 0; e < 3; ++e) {
      for (Type& type : types) {
        type.first.resize(type.element.size());
        type.step.resize(type.element.size());
        const int count = static_cast<int>(std::count(type.element.begin(), type.element.end(), e));
        for (std::size_t s = 0, rank = 0; s < type.element.size(); ++s) {
          if (type.element[s] == e)
            type.first[s] = atoms + static_cast<int>(rank++), type.step[s] = count;
        }
        atoms += count * std::max(type.molecules, 1);  // distinct sites even without molecules
      }
    }
    atoms += static_cast<int>(random() % 5);  // and a few free atoms
    std::string counts[3], records;
    std::set<int> named;
    std::vector<Row> rows(static_cast<std::size_t>(atoms));
    for (int i = 0; i < atoms; ++i) rows[i].atom = i + 1;
    for (const Type& t : types) {
      counts[0] += Format("%d ", t.molecules);
      counts[1] += Format("%zu ", t.element.size());
      counts[2] += Format("%zu ", t.pairs.size());
      for (const auto& [a, b, kind] : t.pairs) {
        records += std::to_string(kind);
        if (named.insert(kind).second)
          records += Format(" %.17g %.17g", rmin[kind - 1], rmax[kind - 1]);
        records += Format(" ! kind\n%d %d %d %d ! pair\n", t.first[a], t.first[b],
                          t.first[a] + t.step[a], t.first[b] + t.step[b]);
      }
      // Each atom's neighbours in the order of their indices in the first molecule.
      for (std::size_t site = 0; site < t.element.size(); ++site) {
        std::vector<std::array<int, 3>> neighbours;  // first index, site, kind
        for (const auto& [a, b, kind] : t.pairs) {
          if (a == static_cast<int>(site)) neighbours.push_back({t.first[b], b, kind});
          if (b == static_cast<int>(site)) neighbours.push_back({t.first[a], a, kind});
        }
        std::sort(neighbours.begin(), neighbours.end());
        for (int m = 0; m < t.molecules; ++m) {
          for (const auto& [first, other, kind] : neighbours) {
            rows[t.first[site] + m * t.step[site] - 1].neighbours.emplace_back(
                first + m * t.step[other], kind);
          }
        }
      }
    }
    const std::string dat = Format("%d ! atoms\n%zu\n", atoms, types.size()) + counts[0] + "\n" +
                            counts[1] + "\n" + counts[2] + "\n" + records;
    const fs::path dir = RunProgram({{"l.dat", dat}}, "expand l");
    ASSERT_EQ(ReadFile(dir / "l.fnc"), FncText(rmin, rmax, 6, rows)) << dat;
  }
}

}  // namespace

// constrain against a model of random liquids of tree-shaped molecules: each
// molecule type a random tree of sites with a rigid random shape, its
// molecules turned and placed at random in a .gro, its bonds in a topology.
// The model finds every pair at most `depth` bonds apart, their mean
// distances and kinds, and the rows of the constraint file.
struct TreeType {
  std::vector<int> parent;   // -1 for the root
  std::vector<int> element;  // into kTreeElements
  std::vector<std::array<double, 3>> shape;
  int molecules = 0;
};

const char* const kTreeElements[] = {"C", "N", "O", "H"};

std::array<double, 3> RandomDirection(std::mt19937& random) {
  std::normal_distribution<double> normal;
  std::array<double, 3> v{normal(random), normal(random), normal(random)};
  const double norm = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  for (double& x : v) x /= norm;
  return v;
}

TreeType RandomTree(std::mt19937& random) {
  TreeType type;
  const int sites = 1 + static_cast<int>(random() % 6);
  for (int s = 0; s < sites; ++s) {
    type.parent.push_back(s == 0 ? -1 : static_cast<int>(random() % s));
    type.element.push_back(static_cast<int>(random() % 4));
    std::array<double, 3> at{};
    if (s > 0) {
      const double length = 0.10 + static_cast<double>(random() % 50) / 1000;
      const std::array<double, 3> d = RandomDirection(random);
      for (int k = 0; k < 3; ++k) at[k] = type.shape[type.parent[s]][k] + length * d[k];
    }
    type.shape.push_back(at);
  }
  type.molecules = 1 + static_cast<int>(random() % 8);
  return type;
}

// Each molecule's sites turned by a random rotation (a unit quaternion) and
// moved to a random place in the box, as the .gro's lines give them.
std::vector<std::array<double, 3>> PlaceMolecule(const TreeType& type, double box,
                                                 std::mt19937& random) {
  std::normal_distribution<double> normal;
  double q[4] = {normal(random), normal(random), normal(random), normal(random)};
  const double norm = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  for (double& x : q) x /= norm;
  const auto [w, x, y, z] = std::array<double, 4>{q[0], q[1], q[2], q[3]};
  const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                          {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                          {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
  std::uniform_real_distribution<double> place(0, box);
  const std::array<double, 3> at{place(random), place(random), place(random)};
  std::vector<std::array<double, 3>> sites;
  for (const auto& s : type.shape) {
    std::array<double, 3> p{};
    for (int i = 0; i < 3; ++i) {
      p[i] = at[i] + r[i][0] * s[0] + r[i][1] * s[1] + r[i][2] * s[2];
      p[i] = std::stod(Format("%.3f", p[i]));  // as written
    }
    sites.push_back(p);
  }
  return sites;
}

// The pairs of a tree at most `depth` bonds apart: (depth, site, site), by
// depth, then by sites.
std::vector<std::array<int, 3>> TreePairs(const TreeType& type, int depth) {
  const int n = static_cast<int>(type.parent.size());
  std::vector<std::array<int, 3>> pairs;
  for (int a = 0; a < n; ++a) {
    for (int b = a + 1; b < n; ++b) {
      // Bonds between a and b: up from both to their lowest common site.
      std::vector<int> up_a{a}, up_b{b};
      while (up_a.back() != 0) up_a.push_back(type.parent[up_a.back()]);
      while (up_b.back() != 0) up_b.push_back(type.parent[up_b.back()]);
      while (up_a.size() > 1 && up_b.size() > 1 && up_a[up_a.size() - 2] == up_b[up_b.size() - 2])
        up_a.pop_back(), up_b.pop_back();
      const int bonds = static_cast<int>(up_a.size() + up_b.size()) - 2;
      if (bonds <= depth) pairs.push_back({bonds, a, b});
    }
  }
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}

double BoxDistance(const std::array<double, 3>& a, const std::array<double, 3>& b, double box) {
  double sum = 0;
  for (int k = 0; k < 3; ++k) {
    const double d = b[k] - a[k] - box * std::nearbyint((b[k] - a[k]) / box);
    sum += d * d;
  }
  return std::sqrt(sum);
}

// A liquid's .gro and topology, and what the model expects of constrain.
struct TreeLiquid {
  std::string gro, top;
  std::vector<Row> rows;                        // with kinds counted from 1
  std::vector<std::pair<double, double>> refs;  // each kind's smallest and largest reference
};

TreeLiquid ModelLiquid(std::vector<TreeType>& types, int depth, std::mt19937& random) {
  const double box = 3;
  TreeLiquid liquid;
  // The structure: the types' molecules in blocks, in the order of `types`.
  std::vector<std::array<double, 3>> position;
  std::vector<int> element, first_atom;  // first_atom: of each type's first molecule
  std::string lines;
  int molecule = 0;
  for (std::size_t t = 0; t < types.size(); ++t) {
    liquid.top += Format("[ moleculetype ]\nT%zu 1\n[ atoms ]\n", t + 1);
    for (std::size_t s = 0; s < types[t].parent.size(); ++s) {
      liquid.top += Format("%zu X 1 T%zu %s%zu 1 0\n", s + 1, t + 1,
                           kTreeElements[types[t].element[s]], s + 1);
    }
    liquid.top += "[ bonds ]\n";
    for (std::size_t s = 1; s < types[t].parent.size(); ++s)
      liquid.top += Format("%d %zu 1\n", types[t].parent[s] + 1, s + 1);
    first_atom.push_back(static_cast<int>(position.size()));
    for (int m = 0; m < types[t].molecules; ++m, ++molecule) {
      const auto sites = PlaceMolecule(types[t], box, random);
      for (std::size_t s = 0; s < sites.size(); ++s) {
        lines += Format("%5dT%-4zu%5s%5zu%8.3f%8.3f%8.3f\n", molecule + 1, t + 1,
                        Format("%s%zu", kTreeElements[types[t].element[s]], s + 1).c_str(),
                        position.size() + 1, sites[s][0], sites[s][1], sites[s][2]);
        position.push_back(sites[s]);
        element.push_back(types[t].element[s]);
      }
    }
  }
  liquid.top += "[ molecules ]\n";
  for (std::size_t t = 0; t < types.size(); ++t)
    liquid.top += Format("T%zu %d\n", t + 1, types[t].molecules);
  liquid.gro = Format("trees\n%zu\n", position.size()) + lines +
               Format("%10.5f%10.5f%10.5f\n", box, box, box);
  // Atoms element by element, in order of first appearance; within one, in file order.
  std::vector<int> order;  // elements in order of first appearance
  for (const int e : element)
    if (std::find(order.begin(), order.end(), e) == order.end()) order.push_back(e);
  std::vector<int> index(position.size());
  int next = 1;
  for (const int e : order) {
    for (std::size_t i = 0; i < position.size(); ++i)
      if (element[i] == e) index[i] = next++;
  }
  // Pairs, their mean distances, and kinds: groups of the same two element
  // ranks and depth, cut where a reference passes the smallest of its kind
  // by more than 20 %, numbered by first use.
  struct Pair {
    int type, depth, a, b;
    double reference;
    int kind = 0;
  };
  std::vector<Pair> pairs;
  for (std::size_t t = 0; t < types.size(); ++t) {
    const std::size_t n = types[t].parent.size();
    for (const auto& [d, a, b] : TreePairs(types[t], depth)) {
      double sum = 0;
      for (int m = 0; m < types[t].molecules; ++m) {
        const std::size_t at = first_atom[t] + m * n;
        sum += BoxDistance(position[at + a], position[at + b], box);
      }
      pairs.push_back({static_cast<int>(t), d, a, b, sum / types[t].molecules});
    }
  }
  const auto rank = [&](int t, int site) {
    return std::find(order.begin(), order.end(), types[t].element[site]) - order.begin();
  };
  const auto group = [&](const Pair& p) {
    return std::tuple(std::min(rank(p.type, p.a), rank(p.type, p.b)),
                      std::max(rank(p.type, p.a), rank(p.type, p.b)), p.depth);
  };
  std::vector<std::size_t> by_reference(pairs.size());
  std::iota(by_reference.begin(), by_reference.end(), 0);
  std::sort(by_reference.begin(), by_reference.end(), [&](std::size_t x, std::size_t y) {
    return std::tuple(group(pairs[x]), pairs[x].reference) <
           std::tuple(group(pairs[y]), pairs[y].reference);
  });
  std::vector<double> smallest;  // of each provisional kind
  for (std::size_t i = 0; i < by_reference.size(); ++i) {
    Pair& p = pairs[by_reference[i]];
    if (i == 0 || group(p) != group(pairs[by_reference[i - 1]]) ||
        p.reference > smallest.back() * 1.2)
      smallest.push_back(p.reference);
    p.kind = static_cast<int>(smallest.size());
  }
  std::map<int, int> number;
  for (Pair& p : pairs) {
    const auto [found, added] = number.emplace(p.kind, static_cast<int>(number.size()) + 1);
    p.kind = found->second;
    if (added) liquid.refs.emplace_back(p.reference, p.reference);
    auto& [low, high] = liquid.refs[p.kind - 1];
    low = std::min(low, p.reference), high = std::max(high, p.reference);
  }
  // Each atom's row: its neighbours in the order of their indices in the
  // first molecule of its type, in both directions.
  liquid.rows.resize(position.size());
  for (std::size_t i = 0; i < position.size(); ++i) liquid.rows[index[i] - 1].atom = index[i];
  for (std::size_t t = 0; t < types.size(); ++t) {
    const std::size_t n = types[t].parent.size();
    for (std::size_t site = 0; site < n; ++site) {
      std::vector<std::array<int, 3>> neighbours;  // first-molecule index, site, kind
      for (const Pair& p : pairs) {
        if (p.type != static_cast<int>(t)) continue;
        if (p.a == static_cast<int>(site))
          neighbours.push_back({index[first_atom[t] + p.b], p.b, p.kind});
        if (p.b == static_cast<int>(site))
          neighbours.push_back({index[first_atom[t] + p.a], p.a, p.kind});
      }
      std::sort(neighbours.begin(), neighbours.end());
      for (int m = 0; m < types[t].molecules; ++m) {
        for (const auto& [first, other, kind] : neighbours) {
          liquid.rows[index[first_atom[t] + m * n + site] - 1].neighbours.emplace_back(
              index[first_atom[t] + m * n + other], kind);
        }
      }
    }
  }
  return liquid;
}

std::vector<double> WindowLine(const std::string& fnc, int line) {
  std::istringstream in(fnc);
  std::string text;
  for (int i = 0; i < line; ++i) std::getline(in, text);
  std::istringstream numbers(text);
  return {std::istream_iterator<double>(numbers), {}};
}

TEST(ConstrainModel, RandomTreeLiquidsFromATopology) {
  std::mt19937 random(24);
  for (int trial = 0; trial < 24; ++trial) {
    std::vector<TreeType> types(1 + random() % 3);
    for (TreeType& type : types) type = RandomTree(random);
    const int depth = 1 + trial % 3;
    const TreeLiquid liquid = ModelLiquid(types, depth, random);
    const fs::path dir =
        RunProgram({{"t.gro", liquid.gro}, {"t.top", liquid.top}},
                   Format("constrain t.gro t --topology t.top --depth %d", depth), "t");
    const std::string fnc = ReadFile(dir / "t.fnc");
    // Each kind's window: its references -/+ 20 %, rounded outwards to what
    // six characters hold (at least two significant digits here).
    const std::vector<double> rmin = WindowLine(fnc, 5), rmax = WindowLine(fnc, 6);
    ASSERT_EQ(rmin.size(), liquid.refs.size()) << liquid.gro << liquid.top;
    for (std::size_t k = 0; k < rmin.size(); ++k) {
      const auto [low, high] = liquid.refs[k];
      EXPECT_TRUE(rmin[k] <= 0.8 * low && rmin[k] > 0.8 * low - 0.001) << k << ": " << rmin[k];
      EXPECT_TRUE(rmax[k] >= 1.2 * high && rmax[k] < 1.2 * high + 0.001) << k << ": " << rmax[k];
    }
    ASSERT_EQ(fnc, FncText(rmin, rmax, 6, liquid.rows)) << liquid.gro << liquid.top;
    // expand makes the same file of the pair list constrain wrote.
    std::filesystem::copy_file(dir / "t.dat", dir / "e.dat", fs::copy_options::overwrite_existing);
    RunProgram({}, "expand e");
    ASSERT_EQ(ReadFile(dir / "e.fnc"), fnc);
  }
}
