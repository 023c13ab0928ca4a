// The GROMACS topology reader on small topologies: what each gives (molecule
// types, bonds with their lengths, the molecules in order). Its faults are
// golden cases (cli_constrain_error_topology_faults).
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
  std::string expected;  // the summary
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
};

TEST(GromacsTopology, ReadsWhatRealFilesUse) {
  for (const Case& c : kCases) {
    const Folder folder(c.files);
    const TopologyOptions options{c.defines, {folder / "lib"}};
    TestReport report;
    EXPECT_EQ(Summary(ReadTopology(folder / "top.top", options, report)), c.expected) << c.name;
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
