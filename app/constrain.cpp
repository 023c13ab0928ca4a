// fncprep constrain: a structure read as convert reads it, its molecules and
// bonds, the pairs of each molecule type to a depth and their kinds; the
// configuration, the pair list and the constraint file the expansion makes
// of that list, written once all is known; then the check of the two.
#include "app/constrain.hpp"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "app/check.hpp"
#include "app/convert.hpp"
#include "cfg/configuration.hpp"
#include "fnc/fnc.hpp"
#include "fnc/pair_list.hpp"
#include "io/file_stream.hpp"
#include "io/number_format.hpp"
#include "topology/gromacs_topology.hpp"
#include "topology/molecules.hpp"
#include "topology/pair_layout.hpp"

namespace {

// Everything the run writes and prints, found before any file is written.
struct Plan {
  Structure structure;
  AtomTypes types;
  TypedConfiguration config;
  Molecules molecules;
  PairSet pairs;
  PairList list;
};

Plan MakePlan(const ConstrainRequest& request, Report& report) {
  Plan plan;
  const std::string& file = request.structure;
  plan.structure = ReadStructure(file, request.box, report);
  if (plan.structure.atoms.empty()) throw LocatedError(file, 0, "at least one atom", "none");
  plan.types = TypesOf(plan.structure, request.types, file);
  plan.config = ToConfiguration(plan.structure, plan.types, file);
  const MoleculeSources sources{file, request.topology.value_or(""), request.bond_factor};
  if (request.topology) {
    const Topology topology = ReadTopology(
        *request.topology, {request.defines, GromacsIncludeFolders(std::getenv("GMXLIB"))}, report);
    plan.molecules = MoleculesOfTopology(plan.structure, topology, sources);
  } else {
    plan.molecules = MoleculesOfStructure(plan.structure, sources);
  }
  plan.pairs = FindPairs(plan.structure, file, plan.molecules, plan.types,
                         {request.depth, request.tolerance, request.topology_reference});
  plan.list = LayOutPairs(plan.structure, file, plan.molecules, plan.types, plan.pairs);
  for (const std::vector<Warning>* warnings : {&plan.molecules.warnings, &plan.pairs.warnings}) {
    for (const Warning& warning : *warnings) report.Warn(warning);
  }
  return plan;
}

// The three files, written once the constraint file's rows exist (they come
// from the pair list's text, read back and expanded as `expand` does) and
// put in place together.
void WriteFiles(const Plan& plan, const ConstrainRequest& request, Report& report) {
  const std::string& stem = request.stem;
  std::ostringstream pair_list;
  WritePairList(pair_list, plan.list);
  std::istringstream read_back(pair_list.str());
  FNC::GetFNCParams2(read_back, stem + ".dat", report);
  std::ostream no_patterns(nullptr);
  FNC::AssemblePatterns(report, no_patterns);
  FNC constraints(report);
  constraints.ExpandPatterns();

  std::vector<std::string> inputs = {request.structure};
  if (request.topology) inputs.push_back(*request.topology);
  RunOutputs outputs(inputs);
  WriteConfiguration(plan.config, stem + ".cfg", outputs, report);
  std::ofstream out;
  outputs.Open(out, stem + ".dat", report);
  out << pair_list.str();
  CheckWriteOutcome("", out, stem + ".dat");
  outputs.Close(out, "");
  std::ofstream fnc;  // a fresh stream: the windows with six digits, as expand writes them
  outputs.Open(fnc, stem + ".fnc", report);
  constraints.rawsave(fnc, stem + ".fnc");
  outputs.Close(fnc, "FNC::rawsave");
  outputs.Place();
}

std::string ToleranceText(const Tolerance& tolerance) {
  return tolerance.relative ? GeneralText(100 * tolerance.value) + "%"
                            : GeneralText(tolerance.value);
}

void PrintTypes(const Plan& plan) {
  std::size_t width = 4;
  for (const MoleculeType& type : plan.molecules.types) width = std::max(width, type.name.size());
  const auto name = [width](const std::string& text) {
    return text + std::string(width - std::min(width, text.size()), ' ');
  };
  std::cout << "type  " << name("name") << "  molecules      atoms      pairs  bonds from\n";
  for (std::size_t t = 0; t < plan.molecules.types.size(); ++t) {
    const MoleculeType& type = plan.molecules.types[t];
    std::cout << std::setw(4) << t + 1 << "  " << name(type.name) << std::setw(11) << type.count
              << std::setw(11) << type.size << std::setw(11) << plan.pairs.of_type[t].size() << "  "
              << type.bonds_from << '\n';
  }
}

void PrintKinds(const Plan& plan, const ConstrainRequest& request) {
  std::cout << "kinds: pairs up to " << request.depth << (request.depth == 1 ? " bond" : " bonds")
            << " apart; references: "
            << (request.topology_reference ? "the topology's lengths, else the means"
                                           : "the means over the molecules")
            << "; windows: references -/+ " << ToleranceText(request.tolerance) << '\n';
  std::cout << "kind  atoms          depth  window                          pairs\n";
  for (std::size_t k = 0; k < plan.pairs.kinds.size(); ++k) {
    const ListedKind& kind = plan.list.kinds[k];
    std::string atoms = kind.first_type + "-" + kind.second_type;
    atoms.resize(std::max<std::size_t>(atoms.size(), 14), ' ');
    std::string window = GeneralText(kind.lower) + " .. " + GeneralText(kind.upper);
    window.resize(std::max<std::size_t>(window.size(), 26), ' ');
    std::cout << std::setw(4) << k + 1 << "  " << atoms << ' ' << std::setw(5) << kind.depth << "  "
              << window << ' ' << std::setw(10) << plan.pairs.kinds[k].pairs << '\n';
  }
}

}  // namespace

int RunConstrain(const ConstrainRequest& request, Report& report) {
  return WithMemoryGuard("constrain", request.structure, [&] {
    const Plan plan = MakePlan(request, report);
    WriteFiles(plan, request, report);
    std::cout << request.structure << ": " << plan.structure.atoms.size()
              << (plan.structure.atoms.size() == 1 ? " atom, " : " atoms, ")
              << plan.molecules.type.size()
              << (plan.molecules.type.size() == 1 ? " molecule of " : " molecules of ")
              << plan.molecules.types.size()
              << (plan.molecules.types.size() == 1 ? " type" : " types")
              << (request.topology ? ", as " + *request.topology + " lists them" : "") << '\n';
    PrintTypes(plan);
    PrintKinds(plan, request);
    std::cout << "written: " << request.stem << ".cfg, " << request.stem << ".dat, " << request.stem
              << ".fnc\n";
    return RunCheck({request.stem + ".cfg", request.stem + ".fnc", "", "", false, {}}, report);
  });
}
