// The GROMACS topology reader on small topologies: what each gives (molecule
// types, bonds with their lengths, the molecules in order) or the exact
// message it stops with.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "io/error.hpp"
#include "test_report.hpp"
#include "topology/gromacs_topology.hpp"

namespace {

namespace fs = std::filesystem;

// A fresh folder holding the given files (name -> text).
class Folder {
 public:
  explicit Folder(const std::map<std::string, std::string>& files) {
    std::string name = testing::TempDir() + "topology-XXXXXX";
    root_ = mkdtemp(name.data());
    for (const auto& [file, text] : files) {
      fs::create_directories((root_ / file).parent_path());
      std::ofstream(root_ / file) << text;
    }
  }
  ~Folder() { fs::remove_all(root_); }
  std::string operator/(const std::string& file) const { return (root_ / file).string(); }

 private:
  fs::path root_;
};

// "NAME xCOUNT: a.b c-d(LENGTH) ..." for each line of [ molecules ].
std::string Summary(const Topology& topology) {
  std::string text;
  for (const TopologyMolecules& listed : topology.molecules) {
    const TopologyMoleculeType& type = topology.types[static_cast<std::size_t>(listed.type)];
    text += type.name + " x" + std::to_string(listed.count) + ":";
    for (const TopologyAtom& atom : type.atoms) text += " " + atom.residue + "." + atom.name;
    for (const Bond& bond : type.bonds) {
      text.append(" ").append(std::to_string(bond.first + 1)).append("-");
      text += std::to_string(bond.second + 1);
      if (bond.length) {
        char length[32];
        std::snprintf(length, sizeof length, "(%g)", *bond.length);
        text += length;
      }
    }
    text += "\n";
  }
  return text;
}

const char* const kWater = R"(; rigid unless FLEXIBLE is defined
[ moleculetype ]
; name nrexcl
SOL 2

[ atoms ]
1 OW_t 1 SOL OW  1 -0.82
2 HW_t 1 SOL HW1 1  0.41
3 HW_t 1 SOL HW2 1  0.41

#ifndef FLEXIBLE
[ settles ]
1 1 0.1 0.16330
#else
[ bonds ]
1 2 1 0.1 345000
1 3 1 0.1 345000
#endif
)";

struct Case {
  const char* name;
  std::map<std::string, std::string> files;  // the topology is top.top
  std::vector<std::string> defines;
  std::string expected;  // the summary, or the message with "DIR/" for the folder
};

const std::vector<Case> kCases = {
    {"settles give O-H, O-H and H-H",
     {{"top.top", "#include \"water.itp\"\n[ molecules ]\nSOL 216\n"}, {"water.itp", kWater}},
     {},
     "SOL x216: SOL.OW SOL.HW1 SOL.HW2 1-2(0.1) 1-3(0.1) 2-3(0.1633)\n"},
    {"a define given from outside takes the other branch",
     {{"top.top", "#include \"water.itp\"\n[ molecules ]\nSOL 216\n"}, {"water.itp", kWater}},
     {"FLEXIBLE"},
     "SOL x216: SOL.OW SOL.HW1 SOL.HW2 1-2(0.1) 1-3(0.1)\n"},
    {"includes beside the including file, nested; molecules in file order",
     {{"top.top", "#include \"ff/all.itp\"\n[ system ]\nmix\n[ molecules ]\nSOL 2\nNA 1\nSOL 3\n"},
      {"ff/all.itp", "#include \"water.itp\"\n#include <ions.itp>\n"},
      {"ff/water.itp", kWater},
      {"ff/ions.itp", "[ moleculetype ]\nNA 1\n[ atoms ]\n1 Na 1 NA NA 1 1\n"}},
     {},
     "SOL x2: SOL.OW SOL.HW1 SOL.HW2 1-2(0.1) 1-3(0.1) 2-3(0.1633)\nNA x1: NA.NA\n"
     "SOL x3: SOL.OW SOL.HW1 SOL.HW2 1-2(0.1) 1-3(0.1) 2-3(0.1633)\n"},
    {"an include not beside its file is looked for in the include folders",
     {{"top.top", "#include \"water.itp\"\n[ molecules ]\nSOL 1\n"}, {"lib/water.itp", kWater}},
     {},
     "SOL x1: SOL.OW SOL.HW1 SOL.HW2 1-2(0.1) 1-3(0.1) 2-3(0.1633)\n"},
    {"defines replace words; comments, continued lines, blank lines; other sections skipped",
     {{"top.top",
       "* a banner before the first heading\n"
       "#define b_CO 0.143 ; C-O\n#define NOPE\n#undef NOPE\n"
       "[ atomtypes ]\nC 12 0 A 0 0\n"
       "[ moleculetype ]\nMEOH 3\n"
       "[ atoms ]\n1 C 1 MEOH C1 1 0\n2 O 1 MEOH O \\\n  1 0\n3 H 1 MEOH HO 1 0\n"
       "[ bonds ] ; heavy atoms first\n\n1 2 1 b_CO 1e5\n2 3 5\n"
       "[ angles ]\n1 2 3 1 108 400\n"
       "#ifdef NOPE\n#include \"missing.itp\"\n#endif\n"
       "[ molecules ]\nMEOH 4 ; four\n"}},
     {},
     "MEOH x4: MEOH.C1 MEOH.O MEOH.HO 1-2(0.143) 2-3\n"},
    {"constraints state lengths; potentials between unbonded atoms are not bonds",
     {{"top.top",
       "[ moleculetype ]\nX 1\n[ atoms ]\n1 a 1 R A 1 0\n2 a 2 S B 1 0\n3 a 2 S C 1 0\n"
       "[ bonds ]\n1 2 6 0.2 100\n1 3 9 1 1\n[ constraints ]\n2 3 2 0.15\n1 2 1\n"
       "[ molecules ]\nX 0\n"}},
     {},
     "X x0: R.A S.B S.C 2-3(0.15) 1-2\n"},
    {"nested conditions inside a branch not taken stay balanced",
     {{"top.top",
       "#ifdef A\n#ifndef B\n#error never read\n#else\n#endif\n#else\n#define C 1\n#endif\n"
       "#ifdef C\n#include \"water.itp\"\n#endif\n[ molecules ]\nSOL 1\n"},
      {"water.itp", kWater}},
     {"B=1"},
     "SOL x1: SOL.OW SOL.HW1 SOL.HW2 1-2(0.1) 1-3(0.1) 2-3(0.1633)\n"},
    {"a missing include",
     {{"top.top", "[ moleculetype ]\nX 1\n#include \"gone.itp\"\n"}},
     {},
     "DIR/top.top:3: cannot find the include file \"gone.itp\" (looked beside DIR/top.top, in "
     "DIR/lib)"},
    {"a molecule that no molecule type defines",
     {{"top.top", "#include \"water.itp\"\n[ molecules ]\nSOL 1\nMEOH 2\n"}, {"water.itp", kWater}},
     {},
     "DIR/top.top:4: expected a molecule that a [ moleculetype ] defines, found \"MEOH\""},
    {"a molecule count that is not a number",
     {{"top.top", "#include \"water.itp\"\n[ molecules ]\nSOL many\n"}, {"water.itp", kWater}},
     {},
     "DIR/top.top:3: expected the number of SOL molecules, found \"many\""},
    {"atoms out of order",
     {{"top.top", "[ moleculetype ]\nX 1\n[ atoms ]\n1 a 1 R A\n3 a 1 R B\n"}},
     {},
     "DIR/top.top:5: expected the atom number 2 (atoms counted from 1 in order), found \"3\""},
    {"a short atom line",
     {{"top.top", "[ moleculetype ]\nX 1\n[ atoms ]\n1 a 1 R\n"}},
     {},
     "DIR/top.top:4: expected an atom line (number, type, residue number, residue, name, ...), "
     "found \"1 ...\""},
    {"a bond to an atom the molecule does not have",
     {{"water.itp", kWater}, {"top.top", "#include \"water.itp\"\n[ bonds ]\n1 4 1\n"}},
     {},
     "DIR/top.top:3: expected an atom of SOL (1 to 3), found \"4\""},
    {"a bond of an atom to itself",
     {{"water.itp", kWater}, {"top.top", "#include \"water.itp\"\n[ bonds ]\n2 2\n"}},
     {},
     "DIR/top.top:3: expected two different atoms, found \"2 2\""},
    {"a length that is no number",
     {{"water.itp", kWater}, {"top.top", "#include \"water.itp\"\n[ bonds ]\n1 2 1 b_OH\n"}},
     {},
     "DIR/top.top:3: expected a length, found \"b_OH\""},
    {"settles whose hydrogens are missing",
     {{"water.itp", kWater}, {"top.top", "#include \"water.itp\"\n[ settles ]\n2 1 0.1 0.16\n"}},
     {},
     "DIR/top.top:3: expected an oxygen followed by two hydrogens among the 3 atoms, found \"2\""},
    {"bonds before any molecule type",
     {{"top.top", "[ bonds ]\n1 2 1\n"}},
     {},
     "DIR/top.top:2: a [ bonds ] section outside any [ moleculetype ]"},
    {"a molecule type defined twice",
     {{"top.top", "#include \"water.itp\"\n#include \"water.itp\"\n"}, {"water.itp", kWater}},
     {},
     "DIR/water.itp:4: a second molecule type named SOL (the first is on line 4 of "
     "DIR/water.itp)"},
    {"a molecule type without atoms in [ molecules ]",
     {{"top.top", "[ moleculetype ]\nX 1\n[ molecules ]\nX 1\n"}},
     {},
     "DIR/top.top:4: the molecule type X (line 2 of DIR/top.top) has no atoms"},
    {"a condition left open",
     {{"top.top", "#ifdef FLEXIBLE\n[ moleculetype ]\n"}},
     {},
     "DIR/top.top:1: this #ifdef or #ifndef has no #endif in its file"},
    {"an #else without a condition",
     {{"top.top", "[ moleculetype ]\n#else\n"}},
     {},
     "DIR/top.top:2: #else without an #ifdef or #ifndef before it in this file"},
    {"a second #else",
     {{"top.top", "#ifdef A\n#else\n#else\n#endif\n"}},
     {},
     "DIR/top.top:3: #else without an #ifdef or #ifndef before it in this file"},
    {"a directive grompp does not know",
     {{"top.top", "#if 1\n"}},
     {},
     "DIR/top.top:1: expected #include, #define, #undef, #ifdef, #ifndef, #else or #endif, found "
     "\"#if 1\""},
    {"an include that is not quoted",
     {{"top.top", "#include water.itp\n"}},
     {},
     "DIR/top.top:1: expected a file name in quotes after #include, found \"water.itp\""},
    {"a file that includes itself",
     {{"top.top", "#include \"top.top\"\n"}},
     {},
     "DIR/top.top:1: includes nested more than 32 deep (does a file include itself?)"},
    {"a heading without its bracket",
     {{"top.top", "[ atoms\n"}},
     {},
     "DIR/top.top:1: expected a section heading such as [ atoms ], found \"[ atoms\""},
};

TEST(GromacsTopology, ReadsWhatRealFilesUseAndStopsAtFaults) {
  for (const Case& c : kCases) {
    const Folder folder(c.files);
    const TopologyOptions options{c.defines, {folder / "lib"}};
    std::string got;
    TestReport report;
    try {
      got = Summary(ReadTopology(folder / "top.top", options, report));
    } catch (const LocatedError& error) {
      got = error.what();
      for (std::size_t at; (at = got.find(folder / "")) != std::string::npos;) {
        got.replace(at, (folder / "").size(), "DIR/");
      }
    }
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST(GromacsTopology, IncludeFoldersFromGmxlib) {
  using Folders = std::vector<std::string>;
  const std::string installed = "/usr/share/gromacs/top";
  EXPECT_EQ(GromacsIncludeFolders(nullptr), Folders{installed});
  EXPECT_EQ(GromacsIncludeFolders(""), Folders{installed});
  EXPECT_EQ(GromacsIncludeFolders("/a::/b:"), (Folders{"/a", "/b", installed}));
}

}  // namespace
