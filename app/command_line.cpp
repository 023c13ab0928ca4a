// The command line: one option table per command, from which the parser and
// the help texts are both made.
#include "app/command_line.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/check.hpp"
#include "app/constrain.hpp"
#include "app/convert.hpp"
#include "app/driver.hpp"
#include "io/error.hpp"
#include "io/file_stream.hpp"
#include "shell/min_distance.hpp"

namespace {

constexpr const char* kVersion = "fncprep 2.0";

struct Option {
  const char* name;
  const char* value;  // the value's name, or nullptr for a flag
  const char* help;
};

struct Command {
  const char* name;
  const char* operands;
  const char* summary;
  std::vector<Option> options;
};

const std::vector<Command> kCommands = {
    {"grow",
     "STEM",
     "Grows neighbours in spherical shells around the central atoms of STEM.incfg as\n"
     "STEM.dat asks, and writes STEM.cfg and STEM.fnc (mode 1 of the dialogue).",
     {{"--seed", "N",
       "Seeds the placement with N (1 <= N < 2^31), as a dialogue run whose\n"
       "clock reads N seconds; the default is the clock."},
      {"--uniform", nullptr,
       "Places the neighbours uniformly in the shell's volume (r^3 and cos(theta)\n"
       "uniform) instead of drawing r, theta and phi uniformly."},
      {"--min-distance", "D",
       "Keeps every neighbour at least D (length unit of STEM.dat) from every\n"
       "other atom, central atoms included: draws it again while it lies\n"
       "closer; after 1000 draws, moves its central atom's neighbours together\n"
       "within their shells. D is one number for all pairs of types, or a list\n"
       "such as 1-2=0.9,2-2=1.5,*=0.8 (types numbered from 1; * for the pairs\n"
       "not listed, which otherwise have no minimum)."},
      {"--strict", nullptr, "Treats every warning as an error: nothing is written."}}},
    {"expand",
     "STEM",
     "Expands the pair list of STEM.dat over all molecules and writes STEM.fnc\n"
     "(mode 2 of the dialogue); prints each molecule type's pattern.",
     {{"--strict", nullptr, "Treats every warning as an error: nothing is written."}}},
    {"check",
     "CFG FNC",
     "Checks the configuration CFG against the constraint file FNC: every\n"
     "constrained distance within its window (minimum image in the cubic box),\n"
     "every list symmetric, every index in range. Exit status 0 when every\n"
     "constraint holds, 1 when any fails.",
     {{"--xyz", "FILE", "Also writes the configuration as extended XYZ, for viewers."},
      {"--names", "N1,N2,...",
       "Names the types in the XYZ output and the plot; the default is the\n"
       "names that CFG's title gives after 'types:'. Without names, the\n"
       "XYZ species are X with a type column."},
      {"--plot", "FILE",
       "Also writes an SVG histogram of the distances of each\n"
       "kind, the pairs outside the window counted by distance;\n"
       "for a configuration grown in shells, with the count\n"
       "expected of points spread evenly through each shell."},
      {"--summary", "FORMAT",
       "table (the default), or json: instead of the table, one\n"
       "JSON object with \"kinds\" (per kind: kind, lower, upper,\n"
       "pairs, smallest, mean, largest, outside, judged),\n"
       "\"one_sided_entries\", \"indices_out_of_range\",\n"
       "\"repeated_rows\", \"rows\", \"atoms\" and \"holds\";\n"
       "numbers that do not exist are null. Same exit status."}}},
    {"convert",
     "IN OUT",
     "Converts a structure or configuration: GROMACS .gro, PDB (.pdb, .ent),\n"
     "mmCIF (.cif, .mmcif, read only), extended XYZ (.xyz, .extxyz) and the\n"
     "version 3 configuration (.cfg), each known by its extension. A .cfg holds\n"
     "the atoms type by type in a cubic box, the names of the types in its\n"
     "title; one from it gives .gro and .pdb one residue per atom. Prints the\n"
     "types (number, name, atoms) and the length unit.",
     {{"--types", "element|name",
       "Types the atoms by element (the default) or by atom name, numbered in\n"
       "order of first appearance."},
      {"--names", "N1,N2,...", "Names the types, in their order, instead."},
      {"--box", "L",
       "The edge of a cubic box for an input that gives none (plain XYZ, a\n"
       "PDB without CRYST1), in its length unit."}}},
    {"constrain",
     "STRUCTURE STEM",
     "Finds the molecules of STRUCTURE (.gro, PDB, mmCIF or XYZ), their bonds\n"
     "and every pair of atoms up to --depth bonds apart, and writes STEM.cfg\n"
     "(as convert writes it), STEM.dat (the pair list, every line commented)\n"
     "and STEM.fnc (as expand writes it from STEM.dat); then checks them as\n"
     "check does. Molecules come from --topology, else from the residues, else\n"
     "from the bond graph; bonds from the topology, else from CONECT records,\n"
     "else from covalent radii. Exit status 1 when any constraint fails.",
     {{"--topology", "FILE",
       "A GROMACS topology (.top or .itp): its [ molecules ] in order, its\n"
       "bonds, constraints and settles."},
      {"--define", "NAME,...",
       "Defines names for the topology's #ifdef and #ifndef, as grompp's -D\n"
       "(NAME or NAME=VALUE)."},
      {"--depth", "N",
       "Pairs up to N bonds apart: 1 (bonds), 2 (and the 1-3 pairs of the\n"
       "angles; the default) or 3 (and the 1-4 pairs)."},
      {"--tolerance", "T",
       "Each window holds its kind's references -/+ T: a length (0.01) or a\n"
       "share of each reference (3%); 20% by default."},
      {"--types", "element|name",
       "Types the atoms by element (the default) or by atom name, as convert\n"
       "does; kinds are named after these types."},
      {"--bond-factor", "F",
       "Bonds by distance: atoms closer than F times the sum of their covalent\n"
       "radii (1.2 by default)."},
      {"--reference", "mean|topology",
       "A pair's reference distance: its mean over the molecules (the\n"
       "default), or the length the topology states where it states one."},
      {"--box", "L", "The edge of a cubic box for an input that gives none."},
      {"--strict", nullptr, "Treats every warning as an error: nothing is written."}}},
};

void PrintUsage(std::ostream& out) {
  out << "usage: fncprep                   (asks for the mode and the file stem)\n";
  for (const Command& command : kCommands) {
    out << "       fncprep " << command.name << ' ' << command.operands;
    for (const Option& option : command.options) {
      out << " [" << option.name << (option.value ? std::string(" ") + option.value : "") << ']';
    }
    out << '\n';
  }
  out << "       fncprep --help | --version | COMMAND --help\n";
}

void PrintHelp(const Command& command) {
  std::cout << "usage: fncprep " << command.name << ' ' << command.operands << " [options]\n\n"
            << command.summary << "\n\noptions:\n";
  for (const Option& option : command.options) {
    // The help in a column after the option and its value, or on the next
    // line where they fill the column.
    std::string line =
        "  " + std::string(option.name) + (option.value ? std::string(" ") + option.value : "");
    if (line.size() > 22) {
      line += '\n' + std::string(23, ' ');
    } else {
      line.resize(23, ' ');
    }
    for (const char c : std::string_view(option.help)) {
      line += c;
      if (c == '\n') line.append(23, ' ');
    }
    std::cout << line << '\n';
  }
  std::cout << "  --help               Prints this help.\n";
}

int UsageError(const std::string& problem) {
  std::cerr << "fncprep: " << problem << '\n';
  PrintUsage(std::cerr);
  return 2;
}

// The arguments of a command: its operands and the options given.
struct Arguments {
  std::vector<std::string> operands;
  std::map<std::string, std::string> options;
};

// Why the value `text` of the option `name` is no positive finite number.
std::string DistanceProblem(const std::string& name, const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno == ERANGE && text[0] != '-' && *end == '\0') {
    return name + " '" + text + "' is " +
           (value == 0 ? "too small a number: it underflows to 0"
                       : "too large a number: it overflows to infinity");
  }
  return name + " takes a positive number, not '" + text + "'";
}

// Why the value of --min-distance is neither a positive number nor a list of
// distances by pair of types, or nothing.
std::optional<std::string> MinDistanceProblem(const std::string& text) {
  if (text.find('=') == std::string::npos) {
    if (PositiveDistance(text)) return std::nullopt;
    return DistanceProblem("--min-distance", text);
  }
  std::string problem;
  if (ParseMinDistances(text, problem)) return std::nullopt;
  return "--min-distance takes pairs of types such as 1-2=0.9,*=0.8: " + problem;
}

std::optional<std::uint32_t> Seed(const std::string& text) {
  std::int64_t seed{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
  if (error != std::errc() || end != text.data() + text.size() || seed < 1 || seed > 2147483647) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(seed);
}

// The names of --names: words without blanks between commas; nothing for
// anything else or no option.
std::optional<std::vector<std::string>> Names(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::vector<std::string> names(1);
  for (const char c : *text) {
    if (c == ' ' || c == '\t' || c == '\n') return std::nullopt;
    if (c == ',') {
      names.emplace_back();
    } else {
      names.back() += c;
    }
  }
  for (const std::string& name : names)
    if (name.empty()) return std::nullopt;
  return names;
}

// A tolerance: a positive length ("0.01") or a positive share ("3%").
std::optional<Tolerance> ToleranceOf(std::string text) {
  const bool relative = !text.empty() && text.back() == '%';
  if (relative) text.pop_back();
  const std::optional<double> value = PositiveDistance(text);
  if (!value) return std::nullopt;
  return Tolerance{relative ? *value / 100 : *value, relative};
}

constexpr std::size_t kAtomsListed = 10;

// Prints a summary line for each file a run wrote; after an expansion, the
// atoms no pattern reaches (the first ten of them), whose rows are empty.
void Summary(const RunFiles& files, bool configuration) {
  if (configuration) std::cout << files.cfg << ": " << SimpleCfg::natoms << " atoms\n";
  std::cout << files.fnc << ": " << FNC::natoms << " atoms, " << FNC::nentries
            << " constraint entries\n";
  if (configuration) return;
  std::vector<std::size_t> unconstrained;
  for (std::size_t a = 0; a < FNC::covered.size(); ++a) {
    if (FNC::covered[a] == 0) unconstrained.push_back(a + 1);
  }
  if (unconstrained.empty()) return;
  std::cout << files.fnc << ": " << unconstrained.size()
            << (unconstrained.size() == 1 ? " atom" : " atoms") << " without a constraint:";
  for (std::size_t i = 0; i < std::min(unconstrained.size(), kAtomsListed); ++i)
    std::cout << ' ' << unconstrained[i];
  if (unconstrained.size() > kAtomsListed)
    std::cout << " and " << unconstrained.size() - kAtomsListed << " more";
  std::cout << '\n';
}

// An output that is the same file as an input or another output (through
// any link, existing yet or not) would destroy it: refused before anything is
// read.
void RefuseSameFiles(const std::vector<std::string>& inputs,
                     const std::vector<std::string>& outputs, Report& report) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    RefuseSameFile(outputs[i], inputs, {outputs.begin(), outputs.begin() + i}, report);
  }
}

// The command line's report: warnings kept and printed when the run ends,
// before its error; with --strict the first warning is the run's error.
struct CommandLineReport final : Report {
  explicit CommandLineReport(bool strict) : strict(strict) {}
  void Notice(std::string_view) override {}
  void Warn(Warning warning) override {
    if (strict) throw LocatedError::Text(warning.file, warning.line, warning.text);
    warnings.push_back(std::move(warning));
  }
  void Refused(const LocatedError& reason) override { throw reason; }
  void PrintWarnings() const {
    for (const Warning& w : warnings) std::cerr << "fncprep: warning: " << w.Message() << '\n';
  }

  bool strict;
  std::vector<Warning> warnings;
};

// constrain, its warnings printed after its report.
int Constrain(const Arguments& arguments, CommandLineReport& report) {
  const auto option = [&](const char* name) {
    const auto found = arguments.options.find(name);
    return found == arguments.options.end() ? std::optional<std::string>() : found->second;
  };
  ConstrainRequest request;
  request.structure = arguments.operands[0];
  request.stem = arguments.operands[1];
  request.topology = option("--topology");
  request.defines = Names(option("--define")).value_or(std::vector<std::string>());
  if (const auto depth = option("--depth")) request.depth = std::stoi(*depth);
  if (const auto tolerance = option("--tolerance")) request.tolerance = *ToleranceOf(*tolerance);
  if (option("--types") == "name") request.types = TypeBy::kName;
  if (const auto factor = option("--bond-factor")) request.bond_factor = *PositiveDistance(*factor);
  request.topology_reference = option("--reference") == "topology";
  if (const auto box = option("--box")) request.box = PositiveDistance(*box);
  const RunFiles files(request.stem);
  std::vector<std::string> inputs = {request.structure};
  if (request.topology) inputs.push_back(*request.topology);
  RefuseSameFiles(inputs, {files.cfg, files.dat, files.fnc}, report);
  const int status = RunConstrain(request, report);
  report.PrintWarnings();
  return status;
}

// Runs a command, with the one catch of the command line: "fncprep: " and the
// error, exit status 1, after the warnings kept.
int Run(const Command& command, const Arguments& arguments) {
  const auto option = [&](const char* name) {
    const auto found = arguments.options.find(name);
    return found == arguments.options.end() ? std::optional<std::string>() : found->second;
  };
  CommandLineReport report(option("--strict").has_value());
  try {
    if (command.name == std::string("check")) {
      const CheckRequest request{arguments.operands[0],         arguments.operands[1],
                                 option("--xyz").value_or(""),  option("--plot").value_or(""),
                                 option("--summary") == "json", Names(option("--names"))};
      std::vector<std::string> outputs;
      for (const std::string& output : {request.xyz, request.plot}) {
        if (!output.empty()) outputs.push_back(output);
      }
      RefuseSameFiles({request.cfg, request.fnc}, outputs, report);
      const int status = RunCheck(request, report);
      report.PrintWarnings();
      return status;
    }
    if (command.name == std::string("convert")) {
      const ConvertRequest request{
          arguments.operands[0], arguments.operands[1],
          option("--types") == "name" ? TypeBy::kName : TypeBy::kElement, Names(option("--names")),
          option("--box") ? PositiveDistance(*option("--box")) : std::nullopt};
      RefuseSameFiles({request.in}, {request.out}, report);
      RunConvert(request, report);
      report.PrintWarnings();
      return 0;
    }
    if (command.name == std::string("constrain")) return Constrain(arguments, report);
    const RunFiles files(arguments.operands[0]);
    RunObjects run;
    if (command.name == std::string("grow")) {
      RefuseSameFiles({files.incfg, files.dat}, {files.cfg, files.fnc}, report);
      ShellPlacement how;
      if (const auto text = option("--seed")) how.seed = *Seed(*text);
      if (const auto text = option("--min-distance")) {
        std::string problem;
        how.min_distance = *ParseMinDistances(*text, problem);
      }
      how.uniform = option("--uniform").has_value();
      GrowShells(files, run, report, how, BoxCheck::kCubic);
      Summary(files, true);
    } else {
      RefuseSameFiles({files.dat}, {files.fnc}, report);
      ExpandPairs(files, run, report);
      Summary(files, false);
    }
    report.PrintWarnings();
    return 0;
  } catch (const LocatedError& error) {
    report.PrintWarnings();
    std::cout.flush();
    std::cerr << "fncprep: " << error.what() << '\n';
    return 1;
  }
}

// The first value of an option, or for convert the first file's format, that
// cannot be taken: what is wrong with it.
std::optional<std::string> ValueProblem(const Command& command, const Arguments& arguments) {
  const auto given = [&](const char* name) { return arguments.options.count(name) > 0; };
  const auto value = [&](const char* name) { return arguments.options.at(name); };
  if (given("--seed") && !Seed(value("--seed")))
    return "--seed takes a whole number from 1 to 2147483647, not '" + value("--seed") + "'";
  if (given("--box") && !PositiveDistance(value("--box")))
    return DistanceProblem("--box", value("--box"));
  if (given("--min-distance")) {
    if (auto problem = MinDistanceProblem(value("--min-distance"))) return problem;
  }
  for (const char* name : {"--xyz", "--plot"}) {
    if (given(name) && value(name).empty())
      return std::string(name) + " needs a file name, not an empty one";
  }
  if (given("--summary") && value("--summary") != "table" && value("--summary") != "json")
    return "--summary takes table or json, not '" + value("--summary") + "'";
  if (given("--types") && value("--types") != "element" && value("--types") != "name")
    return "--types takes element or name, not '" + value("--types") + "'";
  if (given("--names") && !Names(value("--names"))) {
    return "--names takes names without blanks, separated by commas, not '" + value("--names") +
           "'";
  }
  if (given("--depth") && value("--depth") != "1" && value("--depth") != "2" &&
      value("--depth") != "3")
    return "--depth takes 1, 2 or 3, not '" + value("--depth") + "'";
  if (given("--tolerance") && !ToleranceOf(value("--tolerance"))) {
    return "--tolerance takes a positive length or a positive share such as 3%, not '" +
           value("--tolerance") + "'";
  }
  if (given("--bond-factor") && !PositiveDistance(value("--bond-factor")))
    return DistanceProblem("--bond-factor", value("--bond-factor"));
  if (given("--define") && !Names(value("--define"))) {
    return "--define takes names without blanks, separated by commas, not '" + value("--define") +
           "'";
  }
  if (given("--reference") && value("--reference") != "mean" && value("--reference") != "topology")
    return "--reference takes mean or topology, not '" + value("--reference") + "'";
  if (given("--reference") && value("--reference") == "topology" && !given("--topology"))
    return "--reference topology needs --topology";
  if (command.name == std::string("constrain")) {
    const std::optional<Format> format = FormatOf(arguments.operands[0]);
    if (!format || *format == Format::kCfg) {
      return "'" + arguments.operands[0] +
             "' has no extension of a structure (.gro .pdb .ent .cif .mmcif .xyz .extxyz)";
    }
  }
  if (command.name != std::string("convert")) return std::nullopt;
  for (std::size_t i = 0; i < 2; ++i) {
    const std::optional<Format> format = FormatOf(arguments.operands[i]);
    if (!format) {
      return "'" + arguments.operands[i] +
             "' has no extension convert knows (.gro .pdb .ent .cif .mmcif .xyz .extxyz .cfg)";
    }
    if (i == 1 && *format == Format::kCif) return "convert writes no mmCIF";
  }
  return std::nullopt;
}

}  // namespace

int RunCommandLine(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  if (words[0] == "--help") {
    std::cout << "fncprep prepares fixed-neighbour constraint files for varnel++.\n\n";
    PrintUsage(std::cout);
    std::cout << "\nRun 'fncprep COMMAND --help' for a command's options.\n";
    return 0;
  }
  if (words[0] == "--version") {
    std::cout << kVersion << '\n';
    return 0;
  }
  const Command* command = nullptr;
  for (const Command& candidate : kCommands) {
    if (words[0] == candidate.name) command = &candidate;
  }
  if (command == nullptr) return UsageError("unknown command '" + words[0] + "'");
  Arguments arguments;
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (words[i] == "--help") {
      PrintHelp(*command);
      return 0;
    }
    // A word that starts with '-' is an option, known or not ("-" alone is
    // a name).
    if (words[i].size() < 2 || words[i][0] != '-') {
      arguments.operands.push_back(words[i]);
      continue;
    }
    const Option* known = nullptr;
    for (const Option& candidate : command->options) {
      if (words[i] == candidate.name) known = &candidate;
    }
    if (known == nullptr)
      return UsageError("unknown option '" + words[i] + "' of " + command->name);
    if (known->value != nullptr && i + 1 == words.size()) {
      return UsageError(words[i] + " needs a value (" + known->value + ")");
    }
    const std::string& name = words[i];
    arguments.options[name] = known->value != nullptr ? words[++i] : "";
  }
  const std::size_t wanted = std::string(command->operands).find(' ') == std::string::npos ? 1 : 2;
  if (arguments.operands.size() != wanted) {
    return UsageError(std::string(command->name) + " takes " + command->operands);
  }
  if (const std::optional<std::string> problem = ValueProblem(*command, arguments))
    return UsageError(*problem);
  return Run(*command, arguments);
}
