// Writes the benchmark inputs into one directory, the same bytes on every run:
//   w1.incfg, w1.dat  mode 1: 100000 central atoms, 16 neighbours each (12 + 4)
//   w2.incfg, w2.dat  mode 1: 1700000 atoms of one type, no neighbours
//   w3.dat            mode 2: a molecular liquid of 1000000 atoms
//   w4.incfg, w4.dat  mode 1: 200000 atoms of one type written as %.10e
//   w5.incfg, w5.dat  the same values as plain decimals (%.15f)
//   w6.incfg, w6.dat  mode 1 at liquid density: 103823 centres on a cubic
//                     lattice of spacing 3.104 with 4 neighbours each between
//                     1.0 and 1.2 (519115 atoms; 0.0334 centres per unit volume, as molecules in
//                     liquid water per cubic angstrom)
// Usage: gen_workloads DIR
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kW1Atoms = 100000;
constexpr int kW2Atoms = 1700000;
constexpr int kW4Atoms = 200000;
constexpr double kBox = 120.0;

// splitmix64: a small fixed-seed generator, identical on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // Uniform in [-0.5, 0.5), 53 random bits.
  double Centered() { return static_cast<double>(Next() >> 11) * 0x1.0p-53 - 0.5; }

 private:
  std::uint64_t state_;
};

class Out {
 public:
  explicit Out(const std::string& path) : file_(std::fopen(path.c_str(), "wb")), path_(path) {
    if (file_ == nullptr) {
      std::perror(path.c_str());
      std::exit(1);
    }
    buffer_.reserve(1 << 20);
  }
  ~Out() {
    Drain();
    if (std::fclose(file_) != 0) {
      std::perror(path_.c_str());
      std::exit(1);
    }
  }
  Out& operator<<(const std::string& text) {
    buffer_ += text;
    if (buffer_.size() > (1u << 20)) Drain();
    return *this;
  }
  Out& operator<<(const char* text) { return *this << std::string(text); }
  // Integer right-aligned in 10 columns.
  void Int10(long long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%10lld", value);
    *this << text;
  }
  void Fixed(double value, int decimals, std::chars_format notation = std::chars_format::fixed) {
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, value, notation, decimals);
    buffer_.append(text, result.ptr);
    if (buffer_.size() > (1u << 20)) Drain();
  }

 private:
  void Drain() {
    if (!buffer_.empty() &&
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
      std::perror(path_.c_str());
      std::exit(1);
    }
    buffer_.clear();
  }
  std::FILE* file_;
  std::string path_;
  std::string buffer_;
};

// A version 3 configuration file with one type, in the layout the program writes.
// Coordinates with 15 decimals; with `digits`, rounded to that many
// significant digits first, and with `exponents` in exponent notation.
void WriteIncfg(const std::string& path, const char* title, int natoms, std::uint64_t seed,
                int digits = 0, bool exponents = false, int lattice = 0, double box = kBox) {
  Out out(path);
  out << " (Version 3 format configuration file) !file created by SimpleCfg::save !\n";
  out << title << "\n\n\n";
  out << " ";
  out.Int10(0);
  out.Int10(0);
  out.Int10(0);
  out << " moves generated, tried, accepted \n ";
  out.Int10(0);
  out << "              configurations saved\n \n ";
  out.Int10(natoms);
  out << " molecules of all types\n ";
  out.Int10(1);
  out << " types of molecules \n ";
  out.Int10(1);
  out << " is the largest number of atoms in a molecule \n ";
  out.Int10(0);
  out << " Euler angles are provided \n \n          F (box is cubic)\t\n";
  out << "            Defining vectors are: \n";
  for (int row = 0; row < 3; ++row) {
    out << "            ";
    for (int col = 0; col < 3; ++col) {
      if (col > 0) out << " ";
      char length[32];
      std::snprintf(length, sizeof length, "%10.6f", box);
      out << (col == row ? length : "  0.000000");
    }
    out << "\n";
  }
  out << "\n ";
  out.Int10(natoms);
  out << " molecules of type  1\n ";
  out.Int10(1);
  out << " atomic sites \n              0.000000   0.000000   0.000000\n \n";
  Random random(seed);
  for (int i = 0; i < natoms; ++i) {
    for (int k = 0; k < 3; ++k) {
      out << (k == 0 ? " " : "  ");
      // On a lattice of `lattice` points a side, or spread at random.
      double value = random.Centered();
      if (lattice > 0) {
        const int stride = k == 0 ? 1 : k == 1 ? lattice : lattice * lattice;
        value = (i / stride % lattice + 0.5) / lattice - 0.5;
      }
      if (digits > 0) {
        // Rounded to `digits` significant digits, as %.*e writes it.
        char text[64];
        value =
            std::strtod(std::string(text, std::to_chars(text, text + sizeof text, value,
                                                        std::chars_format::scientific, digits - 1)
                                              .ptr)
                            .c_str(),
                        nullptr);
      }
      out.Fixed(value, exponents ? digits - 1 : 15,
                exponents ? std::chars_format::scientific : std::chars_format::fixed);
    }
    out << "\n";
  }
}

void WriteText(const std::string& path, const std::string& text) {
  Out out(path);
  out << text;
}

// Mode 2: atoms stored element by element, each element block holding the
// atoms of one molecule type after another, molecule by molecule:
//   C:  propanol C1 C2 C3 (step 3), then ethene C1 C2 (step 2)
//   H:  propanol H1..H8 (step 8), then ethene H1..H4 (step 4)
//   O:  propanol O (step 1)
//   Ar: unconstrained monatomic atoms
constexpr int kPropanol = 70000;
constexpr int kEthene = 20000;
constexpr int kArgon = 40000;

struct Site {
  long long first;  // 1-based index in molecule 0
  long long step;   // index step to the next molecule
};

std::string MoleculeDat() {
  const long long c_start = 1;
  const long long ethene_c_start = c_start + 3LL * kPropanol;
  const long long h_start = ethene_c_start + 2LL * kEthene;
  const long long ethene_h_start = h_start + 8LL * kPropanol;
  const long long o_start = ethene_h_start + 4LL * kEthene;
  const long long ar_start = o_start + kPropanol;
  const long long natoms = ar_start + kArgon - 1;

  auto pc = [&](int k) { return Site{c_start + k, 3}; };         // propanol carbon k
  auto ph = [&](int k) { return Site{h_start + k, 8}; };         // propanol hydrogen k
  const Site po{o_start, 1};                                     // propanol oxygen
  auto ec = [&](int k) { return Site{ethene_c_start + k, 2}; };  // ethene carbon k
  auto eh = [&](int k) { return Site{ethene_h_start + k, 4}; };  // ethene hydrogen k

  struct Pair {
    int kind;
    Site a, b;
  };
  // Propanol CH3-CH2-CH2-OH: 11 bonds and 9 next-neighbour distances.
  const std::vector<Pair> propanol = {
      {1, pc(0), pc(1)}, {1, pc(1), pc(2)}, {2, pc(2), po},    {3, po, ph(7)},    {4, pc(0), ph(0)},
      {4, pc(0), ph(1)}, {4, pc(0), ph(2)}, {4, pc(1), ph(3)}, {4, pc(1), ph(4)}, {4, pc(2), ph(5)},
      {4, pc(2), ph(6)}, {5, pc(0), pc(2)}, {6, pc(1), po},    {7, ph(0), pc(1)}, {7, ph(3), pc(0)},
      {7, ph(3), pc(2)}, {7, ph(5), pc(1)}, {8, ph(5), po},    {8, pc(2), ph(7)}, {6, pc(0), po},
  };
  // Ethene CH2=CH2: 5 bonds.
  const std::vector<Pair> ethene = {
      {9, ec(0), ec(1)},  {10, ec(0), eh(0)}, {10, ec(0), eh(1)},
      {10, ec(1), eh(2)}, {10, ec(1), eh(3)},
  };
  const char* bounds[] = {"1.47 1.59", "1.38 1.48", "0.91 0.99", "1.05 1.13", "2.45 2.60",
                          "2.35 2.50", "2.10 2.22", "1.85 2.00", "1.30 1.37", "1.04 1.12"};

  std::string text;
  text += " " + std::to_string(natoms) + "\t\t\t!number of atoms in the configuration\n";
  text += " 2\t\t\t!number of molecule types containing fnc constraint\n";
  text += " " + std::to_string(kPropanol) + " " + std::to_string(kEthene) +
          "\t\t!number of molecule/type following each other\n";
  text += " 12 6\t\t\t!number of atoms/molecule type following each other\n";
  text += " " + std::to_string(propanol.size()) + " " + std::to_string(ethene.size()) +
          "\t\t\t!number of fnc constrained pairs/molecule\n";
  std::vector<bool> named(11, false);
  for (const auto* list : {&propanol, &ethene}) {
    for (const Pair& p : *list) {
      text += " " + std::to_string(p.kind);
      if (!named[p.kind]) {
        named[p.kind] = true;
        text += std::string(" ") + bounds[p.kind - 1];
      }
      text += "\t\t!constraint index, dmin, dmax\n";
      text += " " + std::to_string(p.a.first) + " " + std::to_string(p.b.first) + " " +
              std::to_string(p.a.first + p.a.step) + " " + std::to_string(p.b.first + p.b.step) +
              "\t!pair in the first, then in the second molecule\n";
    }
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";

  WriteIncfg(dir + "w1.incfg", "bench workload 1: central atoms", kW1Atoms, 1);
  WriteText(dir + "w1.dat",
            " " + std::to_string(kW1Atoms) +
                "\t! number of molecules\n 3\t\t! number of types\n"
                " 1\t\t! type of the central atom starting with 1\n"
                " 0 12 4\t! number of neighbours for a molecule/type\n"
                " 0 2.5 3.0\t! radius of the inner sphere for each neighbourtype\n"
                " 0 3.5 4.5\t! radius of the outer sphere for each neighbourtype\n");

  WriteIncfg(dir + "w2.incfg", "bench workload 2: atoms copied through", kW2Atoms, 2);
  WriteText(dir + "w2.dat",
            " " + std::to_string(kW2Atoms) +
                "\t! number of molecules\n 1\t\t! number of types\n"
                " 1\t\t! type of the central atom starting with 1\n"
                " 0\t\t! number of neighbours for a molecule/type\n"
                " 0\t\t! radius of the inner sphere\n 0\t\t! radius of the outer sphere\n");

  WriteText(dir + "w3.dat", MoleculeDat());

  // The reader's cost must not depend on the notation of the numbers.
  const std::string copy_through =
      " " + std::to_string(kW4Atoms) + "\t! number of molecules\n 1\n 1\n 0\n 0\n 0\n";
  WriteIncfg(dir + "w4.incfg", "bench workload 4: exponent notation", kW4Atoms, 4, 11, true);
  WriteText(dir + "w4.dat", copy_through);
  WriteIncfg(dir + "w5.incfg", "bench workload 5: plain decimals", kW4Atoms, 4, 11);
  WriteText(dir + "w5.dat", copy_through);

  constexpr int kSide = 47;
  WriteIncfg(dir + "w6.incfg", "bench workload 6: centres at liquid density", kSide * kSide * kSide,
             6, 0, false, kSide, kSide * 3.104);
  WriteText(dir + "w6.dat", " " + std::to_string(kSide * kSide * kSide) +
                                "\t! centres\n 2\n 1\n 0 4\n 0 1.0\n 0 1.2\n");
  return 0;
}
