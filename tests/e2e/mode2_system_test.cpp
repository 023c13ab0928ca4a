// Mode 2 through the real program on realistic systems: a mixture whose atoms
// are stored element by element, checked against a model of its molecules,
// and a large pair list that must run in modest memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/run_binary.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFileBytes;
using testing_support::RunIn;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

// ---- Reading a written .fnc file, independently of the program.

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A right-aligned decimal field: blanks, then at least one digit.
bool ParseField(const std::string& line, std::size_t position, std::size_t width, int& value) {
  if (position + width > line.size()) return false;
  std::size_t i = position;
  while (i < position + width && line[i] == ' ') ++i;
  if (i == position + width) return false;
  long long parsed = 0;
  for (; i < position + width; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
    parsed = parsed * 10 + (line[i] - '0');
    if (parsed > 2147483647) return false;
  }
  value = static_cast<int>(parsed);
  return true;
}

std::string RightAligned(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

struct FncRow {
  int central = 0;
  std::vector<int> neighbours;  // 1-based
  std::vector<int> kinds;       // 1-based
};

struct FncFile {
  std::vector<std::string> header;  // the nine lines before the rows
  std::vector<FncRow> rows;
};

// Splits the file into its header and rows, checking every field width.
// Returns false (with a test failure) on the first line that does not fit.
bool ReadFncFile(const std::string& text, FncFile& file) {
  if (text.empty() || text.back() != '\n') {
    ADD_FAILURE() << "the file does not end with a line break";
    return false;
  }
  const std::vector<std::string> lines = SplitLines(text);
  if (lines.size() < 9 || (lines.size() - 9) % 3 != 0) {
    ADD_FAILURE() << "unexpected number of lines: " << lines.size();
    return false;
  }
  file.header.assign(lines.begin(), lines.begin() + 9);
  for (std::size_t l = 9; l < lines.size(); l += 3) {
    const std::string& count_line = lines[l];
    const std::string& neighbour_line = lines[l + 1];
    const std::string& kind_line = lines[l + 2];
    FncRow row;
    int count = 0;
    if (count_line.size() != 20 || !ParseField(count_line, 0, 10, row.central) ||
        !ParseField(count_line, 10, 10, count)) {
      ADD_FAILURE() << "bad count line " << l + 1 << ": '" << count_line << "'";
      return false;
    }
    const auto entries = static_cast<std::size_t>(count);
    if (neighbour_line.size() != 10 * entries || kind_line.size() != 4 * entries) {
      ADD_FAILURE() << "row of atom " << row.central << ": lines of the wrong length";
      return false;
    }
    row.neighbours.resize(entries);
    row.kinds.resize(entries);
    for (std::size_t e = 0; e < entries; ++e) {
      if (!ParseField(neighbour_line, 10 * e, 10, row.neighbours[e]) ||
          !ParseField(kind_line, 4 * e, 4, row.kinds[e])) {
        ADD_FAILURE() << "row of atom " << row.central << ": bad field " << e;
        return false;
      }
    }
    file.rows.push_back(std::move(row));
  }
  return true;
}

// ---- A model of a molecular mixture stored element by element.

enum Element { kCarbon, kHydrogen, kOxygen, kArgon, kElements };

struct SitePair {
  int first;
  int second;
  int kind;
};

struct Species {
  const char* name;
  int molecules;
  std::vector<Element> sites;
  std::vector<SitePair> pairs;  // constrained pairs of one molecule; empty: not listed
};

// Constraint kinds with their windows, written exactly as the program must
// give them back.
struct Kind {
  const char* label;
  const char* lower;
  const char* upper;
};
const std::vector<Kind> kKinds = {
    {"C-C bond", "1.47", "1.59"}, {"C-O bond", "1.38", "1.48"}, {"C-H bond", "1.05", "1.13"},
    {"C..C", "2.45", "2.6"},      {"C..H", "2.1", "2.22"},      {"H..H", "1.7", "1.86"},
    {"C..O", "2.35", "2.5"},      {"H..O", "2", "2.12"},        {"C=C bond", "1.3", "1.38"},
};

// Kind of a bonded pair or of two atoms bonded to a common one.
int KindOf(Element a, Element b, bool bonded, bool double_bond = false) {
  if (a > b) std::swap(a, b);
  if (bonded) {
    if (double_bond) return 9;
    if (a == kCarbon && b == kCarbon) return 1;
    if (a == kCarbon && b == kOxygen) return 2;
    return 3;
  }
  if (a == kCarbon && b == kCarbon) return 4;
  if (a == kCarbon && b == kHydrogen) return 5;
  if (a == kHydrogen && b == kHydrogen) return 6;
  if (a == kCarbon && b == kOxygen) return 7;
  return 8;
}

// The bonds plus every pair of atoms bonded to a common atom.
std::vector<SitePair> BondsAndAngles(const std::vector<Element>& sites,
                                     const std::vector<std::pair<int, int>>& bonds,
                                     int double_bond = -1) {
  std::vector<SitePair> pairs;
  std::vector<std::vector<int>> bonded(sites.size());
  for (std::size_t b = 0; b < bonds.size(); ++b) {
    const auto [x, y] = bonds[b];
    pairs.push_back({x, y, KindOf(sites[x], sites[y], true, static_cast<int>(b) == double_bond)});
    bonded[x].push_back(y);
    bonded[y].push_back(x);
  }
  for (const auto& around : bonded) {
    for (std::size_t i = 0; i < around.size(); ++i) {
      for (std::size_t j = i + 1; j < around.size(); ++j) {
        pairs.push_back({around[i], around[j], KindOf(sites[around[i]], sites[around[j]], false)});
      }
    }
  }
  return pairs;
}

// Propanol without constraints on its hydroxyl hydrogen (site 10), argon, and
// ethene.
std::vector<Species> Mixture() {
  const Element C = kCarbon;
  const Element H = kHydrogen;
  const Element O = kOxygen;
  Species propanol{"propanol", 300, {C, C, C, H, H, H, H, H, H, H, H, O}, {}};
  propanol.pairs = BondsAndAngles(
      propanol.sites,
      {{0, 1}, {1, 2}, {2, 11}, {0, 3}, {0, 4}, {0, 5}, {1, 6}, {1, 7}, {2, 8}, {2, 9}});
  Species argon{"argon", 50, {kArgon}, {}};
  Species ethene{"ethene", 40, {C, C, H, H, H, H}, {}};
  ethene.pairs = BondsAndAngles(ethene.sites, {{0, 1}, {0, 2}, {0, 3}, {1, 4}, {1, 5}}, 0);
  return {propanol, argon, ethene};
}

struct Owner {
  int species;
  int molecule;
  int site;
};

// Flat atom indices (1-based): all carbons of all molecules first, species by
// species and molecule by molecule, then all hydrogens, the oxygens, argon.
struct Layout {
  std::vector<std::vector<std::vector<int>>> index;  // [species][molecule][site]
  std::vector<Owner> owner;                          // [atom - 1]
  int natoms = 0;

  explicit Layout(const std::vector<Species>& mixture) {
    index.resize(mixture.size());
    for (std::size_t s = 0; s < mixture.size(); ++s) {
      index[s].assign(static_cast<std::size_t>(mixture[s].molecules),
                      std::vector<int>(mixture[s].sites.size(), 0));
    }
    for (int element = 0; element < kElements; ++element) {
      for (std::size_t s = 0; s < mixture.size(); ++s) {
        for (int m = 0; m < mixture[s].molecules; ++m) {
          for (std::size_t site = 0; site < mixture[s].sites.size(); ++site) {
            if (mixture[s].sites[site] != element) continue;
            index[s][m][site] = ++natoms;
            owner.push_back({static_cast<int>(s), m, static_cast<int>(site)});
          }
        }
      }
    }
  }

  int Step(int species, int site) const {
    return index[species][1][site] - index[species][0][site];
  }
};

// Deterministic pseudo-random numbers, the same on every platform.
class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next(std::uint32_t bound) {
    state_ = (state_ * 1103515245u + 12345u) % 2147483648u;
    return static_cast<std::uint32_t>(state_ >> 8) % bound;
  }

 private:
  std::uint64_t state_;
};

// The pair list of the mixture: the pairs of each listed species in a
// shuffled order and direction, each given in the first two molecules. The
// window of a kind follows its first mention; later mentions carry other
// numbers, which are comment.
std::string PairList(const std::vector<Species>& mixture, const Layout& layout) {
  std::vector<int> listed;
  for (std::size_t s = 0; s < mixture.size(); ++s) {
    if (!mixture[s].pairs.empty()) listed.push_back(static_cast<int>(s));
  }
  std::ostringstream text;
  text << layout.natoms << "\t! number of atoms in the configuration\n";
  text << listed.size() << "\t! molecule types with constraints\n";
  for (const int s : listed) text << mixture[s].molecules << ' ';
  text << "! molecules of each type\n";
  for (const int s : listed) text << mixture[s].sites.size() << ' ';
  text << "! atoms per molecule\n";
  for (const int s : listed) text << mixture[s].pairs.size() << ' ';
  text << "! pairs per molecule\n";

  Lcg random(20240611);
  std::vector<bool> named(kKinds.size() + 1, false);
  for (const int s : listed) {
    std::vector<SitePair> pairs = mixture[s].pairs;
    for (std::size_t i = pairs.size() - 1; i > 0; --i) {
      std::swap(pairs[i], pairs[random.Next(static_cast<std::uint32_t>(i + 1))]);
    }
    for (SitePair& pair : pairs) {
      if (random.Next(2) == 1) std::swap(pair.first, pair.second);
      const Kind& kind = kKinds[pair.kind - 1];
      text << pair.kind;
      if (!named[pair.kind]) {
        text << ' ' << kind.lower << ' ' << kind.upper << " ! " << kind.label << '\n';
        named[pair.kind] = true;
      } else if (random.Next(2) == 1) {
        text << " 0.5 0.75 ! " << kind.label << " again\n";
      } else {
        text << '\n';
      }
      const auto& first = layout.index[s][0];
      const auto& second = layout.index[s][1];
      text << first[pair.first] << ' ' << first[pair.second] << ' ' << second[pair.first] << ' '
           << second[pair.second] << " ! " << mixture[s].name << '\n';
    }
  }
  return text.str();
}

// The pattern printout expected for one listed species: its constrained
// atoms of the first molecule in index order, each with its neighbours in
// index order.
std::string ExpectedPattern(const Species& species, int s, const Layout& layout) {
  std::map<int, std::vector<std::pair<int, int>>> slots;  // atom -> (neighbour, kind)
  std::map<int, int> steps;
  const auto& first = layout.index[s][0];
  for (const SitePair& pair : species.pairs) {
    slots[first[pair.first]].emplace_back(first[pair.second], pair.kind);
    slots[first[pair.second]].emplace_back(first[pair.first], pair.kind);
    steps[first[pair.first]] = layout.Step(s, pair.first);
    steps[first[pair.second]] = layout.Step(s, pair.second);
  }
  std::ostringstream text;
  text << "The FNC constraints for the smallest indexed molecule:\n"
          "central index,   neighbour count, central offset\n"
          "\tneighbour indices\n"
          "\tconstraint type\n\n";
  for (auto& [atom, neighbours] : slots) {
    std::sort(neighbours.begin(), neighbours.end());
    text << atom << "   " << neighbours.size() << "   " << steps[atom] << '\n';
    for (const auto& entry : neighbours) text << '\t' << entry.first;
    text << '\n';
    for (const auto& entry : neighbours) text << '\t' << entry.second;
    text << '\n';
  }
  return text.str();
}

const std::string kEmptyConfiguration =
    "The number of atoms for the SimpleCfg object is 0, empty object will be created!\n";

TEST(ModeTwoSystem, MixtureStoredElementByElement) {
  const std::vector<Species> mixture = Mixture();
  const Layout layout(mixture);
  ASSERT_EQ(layout.natoms, 300 * 12 + 50 + 40 * 6);
  // The atoms of one propanol move by 3 (carbons), 8 (hydrogens) and 1
  // (oxygen) from one molecule to the next; those of ethene by 2 and 4.
  ASSERT_EQ(layout.Step(0, 0), 3);
  ASSERT_EQ(layout.Step(0, 3), 8);
  ASSERT_EQ(layout.Step(0, 11), 1);
  ASSERT_EQ(layout.Step(2, 0), 2);
  ASSERT_EQ(layout.Step(2, 2), 4);
  ASSERT_EQ(mixture[0].pairs.size(), 28u);
  ASSERT_EQ(mixture[2].pairs.size(), 11u);

  const std::string pair_list = PairList(mixture, layout);

  TempDir dir;
  WriteFileBytes(dir.path() / "mix.dat", pair_list);
  const auto result = RunIn(dir.path(), FNCPREP_BINARY, "2 mix\ny\n");
  ASSERT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.err, "");
  EXPECT_FALSE(fs::exists(dir.path() / "mix.cfg"));

  // Console: after the stem prompt, the two patterns, the count of atoms
  // without constraints (the hydroxyl hydrogens and argon), the end of the run.
  const std::string expected_tail =
      "The name of the files without extension:" + kEmptyConfiguration +
      ExpectedPattern(mixture[0], 0, layout) + ExpectedPattern(mixture[2], 2, layout) +
      "There  will be 350 atom(s) with no fnc constraint! FNC with 0 neighbour is created for "
      "them.\n" +
      kEmptyConfiguration +
      "FNC object is created\n QUIT (y)? ->\nFNC destructor\nSimpleCfg destructor\nSimpleCfg "
      "destructor\n";
  ASSERT_GE(result.out.size(), expected_tail.size());
  EXPECT_EQ(result.out.substr(result.out.size() - expected_tail.size()), expected_tail);

  // The constraint file.
  FncFile file;
  ASSERT_TRUE(ReadFncFile(ReadFileBytes(dir.path() / "mix.fnc"), file));
  std::string lower_line;
  std::string upper_line;
  for (const Kind& kind : kKinds) {
    lower_line += RightAligned(kind.lower, 7);
    upper_line += RightAligned(kind.upper, 7);
  }
  const std::vector<std::string> header = {"This is a .fnc file created by FNC::rawsave ",
                                           "",
                                           " No. of possible rmin-rmax pairs: ",
                                           "      9",
                                           lower_line,
                                           upper_line,
                                           " ",
                                           RightAligned(std::to_string(layout.natoms), 7),
                                           " "};
  EXPECT_EQ(file.header, header);
  ASSERT_EQ(file.rows.size(), static_cast<std::size_t>(layout.natoms));

  // Every pair of every molecule, in both directions, with its kind.
  std::vector<std::vector<std::pair<int, int>>> model(static_cast<std::size_t>(layout.natoms));
  std::size_t model_entries = 0;
  for (std::size_t s = 0; s < mixture.size(); ++s) {
    for (int m = 0; m < mixture[s].molecules; ++m) {
      const auto& atoms = layout.index[s][m];
      for (const SitePair& pair : mixture[s].pairs) {
        model[atoms[pair.first] - 1].emplace_back(atoms[pair.second], pair.kind);
        model[atoms[pair.second] - 1].emplace_back(atoms[pair.first], pair.kind);
        model_entries += 2;
      }
    }
  }
  ASSERT_EQ(model_entries, 2u * (300 * 28 + 40 * 11));

  std::size_t file_entries = 0;
  int unconstrained = 0;
  for (int atom = 1; atom <= layout.natoms; ++atom) {
    const FncRow& row = file.rows[atom - 1];
    SCOPED_TRACE("atom " + std::to_string(atom));
    ASSERT_EQ(row.central, atom);
    file_entries += row.neighbours.size();
    const Owner self = layout.owner[atom - 1];
    if (row.neighbours.empty()) ++unconstrained;

    std::vector<std::pair<int, int>> entries;
    int previous_first_index = 0;
    for (std::size_t e = 0; e < row.neighbours.size(); ++e) {
      const int neighbour = row.neighbours[e];
      ASSERT_GE(neighbour, 1);
      ASSERT_LE(neighbour, layout.natoms);
      const Owner other = layout.owner[neighbour - 1];
      // Same molecule.
      EXPECT_EQ(other.species, self.species);
      EXPECT_EQ(other.molecule, self.molecule);
      // Neighbours follow the order of their indices in the first molecule.
      const int first_index = layout.index[other.species][0][other.site];
      EXPECT_GE(first_index, previous_first_index);
      previous_first_index = first_index;
      entries.emplace_back(neighbour, row.kinds[e]);
    }
    std::vector<std::pair<int, int>> expected = model[atom - 1];
    std::sort(entries.begin(), entries.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries, expected);
  }
  EXPECT_EQ(file_entries, model_entries);
  EXPECT_EQ(unconstrained, 350);
}

// ---- Memory: a pair list that would need gigabytes if every pattern slot
// had room for every pair record.

struct MeasuredRun {
  int status = -1;
  long peak_kilobytes = -1;
};

// Runs the program in `dir` with `input` on standard input and reports the
// peak resident size of the child. The figure also covers the copy of this
// test process that exists between fork and exec, so it is an upper bound.
MeasuredRun RunMeasured(const fs::path& dir, const std::string& input) {
  WriteFileBytes(dir / ".stdin", input);
  const std::string folder = dir.string();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    const int in = open(".stdin", O_RDONLY);
    const int out = open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(127);
    if (dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
    execl(FNCPREP_BINARY, FNCPREP_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  MeasuredRun run;
  if (pid < 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peak_kilobytes = usage.ru_maxrss;
  return run;
}

TEST(ModeTwoSystem, LargePairListRunsInModestMemory) {
  constexpr int kTypes = 20;
  constexpr int kAtoms = 2000;  // per molecule, and pairs per molecule
  constexpr int kMolecules = 2;
  constexpr int kTotal = kTypes * kMolecules * kAtoms;
  // Atom a of molecule m of type t; each molecule is a ring of bonded atoms.
  const auto index = [](int t, int m, int a) { return (t * kMolecules + m) * kAtoms + a + 1; };
  const auto kind = [](int a) { return a % 3 + 1; };

  TempDir dir;
  {
    std::ofstream dat(dir.path() / "big.dat");
    dat << kTotal << " ! atoms\n" << kTypes << " ! molecule types\n";
    for (int t = 0; t < kTypes; ++t) dat << kMolecules << ' ';
    dat << "\n";
    for (int t = 0; t < kTypes; ++t) dat << kAtoms << ' ';
    dat << "\n";
    for (int t = 0; t < kTypes; ++t) dat << kAtoms << ' ';
    dat << "\n";
    bool named[4] = {false, false, false, false};
    for (int t = 0; t < kTypes; ++t) {
      for (int a = 0; a < kAtoms; ++a) {
        const int b = (a + 1) % kAtoms;
        dat << kind(a);
        if (!named[kind(a)]) dat << " 1." << kind(a) << " 1." << kind(a) << "5";
        named[kind(a)] = true;
        dat << "\n"
            << index(t, 0, a) << ' ' << index(t, 0, b) << ' ' << index(t, 1, a) << ' '
            << index(t, 1, b) << "\n";
      }
    }
  }

  const MeasuredRun run = RunMeasured(dir.path(), "2 big\ny\n");
  ASSERT_EQ(run.status, 0) << ReadFileBytes(dir.path() / ".stdout");
  EXPECT_EQ(ReadFileBytes(dir.path() / ".stderr"), "");
  ASSERT_GT(run.peak_kilobytes, 0);
  EXPECT_LT(run.peak_kilobytes, 100 * 1024);

  FncFile file;
  ASSERT_TRUE(ReadFncFile(ReadFileBytes(dir.path() / "big.fnc"), file));
  EXPECT_EQ(file.header[3], "      3");
  EXPECT_EQ(file.header[4], "    1.1    1.2    1.3");
  EXPECT_EQ(file.header[5], "   1.15   1.25   1.35");
  EXPECT_EQ(file.header[7], RightAligned(std::to_string(kTotal), 7));
  ASSERT_EQ(file.rows.size(), static_cast<std::size_t>(kTotal));
  // Each atom is bonded to the atoms before and after it in its ring.
  for (int t = 0; t < kTypes; ++t) {
    for (int m = 0; m < kMolecules; ++m) {
      for (int a = 0; a < kAtoms; ++a) {
        const int before = (a + kAtoms - 1) % kAtoms;
        const int after = (a + 1) % kAtoms;
        std::vector<std::pair<int, int>> expected = {{index(t, m, before), kind(before)},
                                                     {index(t, m, after), kind(a)}};
        std::sort(expected.begin(), expected.end());
        const FncRow& row = file.rows[index(t, m, a) - 1];
        ASSERT_EQ(row.central, index(t, m, a));
        std::vector<std::pair<int, int>> entries;
        for (std::size_t e = 0; e < row.neighbours.size(); ++e) {
          entries.emplace_back(row.neighbours[e], row.kinds[e]);
        }
        ASSERT_EQ(entries, expected) << "atom " << index(t, m, a);
      }
    }
  }
}

}  // namespace
