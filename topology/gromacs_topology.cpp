// The GROMACS topology reader: the preprocessor lines grompp understands
// (#include, #define, #undef, #ifdef, #ifndef, #else, #endif), then the
// sections that give molecules, atoms and bonds; other sections are skipped.
#include "topology/gromacs_topology.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>
#include <utility>

#include "io/error.hpp"
#include "io/file_stream.hpp"
#include "io/words.hpp"

namespace {

constexpr int kDeepestInclude = 32;

std::optional<int> Integer(std::string_view word) {
  int value{};
  if (!ParseInt(word, value)) return std::nullopt;
  return value;
}

std::optional<double> Length(std::string_view word) {
  double value{};
  if (!ParseReal(word, value) || !std::isfinite(value) || value <= 0) return std::nullopt;
  return value;
}

// Where a line came from, for its messages.
struct At {
  const std::string& file;
  int line;

  [[noreturn]] void Expected(const std::string& what, const std::string& found) const {
    throw LocatedError(file, line, what, found.empty() ? "nothing" : "\"" + found + "\"");
  }
  [[noreturn]] void Fail(const std::string& text) const {
    throw LocatedError::Text(file, line, text);
  }
};

// One #ifdef or #ifndef of a file while its lines are read.
struct Condition {
  bool enclosing_active;  // whether the lines around it are read
  bool holds;             // whether its first branch is taken
  bool in_else = false;
  int line;
};

class TopologyReader {
 public:
  TopologyReader(const TopologyOptions& options, Report& report)
      : folders_(options.include_folders), report_(report) {
    for (const std::string& define : options.defines) {
      const std::size_t equals = define.find('=');
      defines_[define.substr(0, equals)] =
          equals == std::string::npos ? std::string() : define.substr(equals + 1);
    }
  }

  void ReadFile(const std::string& path, int depth);

  Topology Finish() { return std::move(topology_); }

 private:
  void Directive(std::string_view text, const At& at, std::vector<Condition>& conditions,
                 int depth);
  void Include(std::string_view operand, const At& at, int depth);
  void DataLine(std::string_view text, const At& at);
  void Heading(std::string_view text, const At& at);
  std::vector<std::string> Expanded(std::string_view text) const;

  void MoleculeType(const std::vector<std::string>& words, const At& at);
  void Atom(const std::vector<std::string>& words, const At& at);
  void BondLine(const std::vector<std::string>& words, const At& at, bool constraint);
  void Settles(const std::vector<std::string>& words, const At& at);
  void Molecules(const std::vector<std::string>& words, const At& at);
  TopologyMoleculeType& Current(const At& at);
  int AtomIndex(const std::string& word, const At& at);

  std::vector<std::string> folders_;
  Report& report_;
  std::map<std::string, std::string> defines_;
  std::map<std::string, int> type_by_name_;
  std::string section_;
  int current_ = -1;  // the molecule type the sections describe
  Topology topology_;
};

bool Active(const std::vector<Condition>& conditions) {
  if (conditions.empty()) return true;
  const Condition& c = conditions.back();
  return c.enclosing_active && (c.holds != c.in_else);
}

void TopologyReader::ReadFile(const std::string& path, int depth) {
  std::ifstream in;
  OpenOn(in, path, std::ios::in, report_);
  if (!in) throw LocatedError::Text(path, 0, "cannot be read");
  std::vector<Condition> conditions;
  std::string physical;
  for (int number = 1; std::getline(in, physical); ++number) {
    const At at{path, number};
    std::string line = std::move(physical);
    // A backslash at the end continues the line on the next one.
    while (true) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line.back() != '\\' || !std::getline(in, physical)) break;
      line.pop_back();
      line += ' ' + physical;
      ++number;
    }
    const std::string_view text = Trim(std::string_view(line).substr(0, line.find(';')));
    if (text.empty()) continue;
    if (text.front() == '#') {
      Directive(Trim(text.substr(1)), at, conditions, depth);
    } else if (Active(conditions)) {
      DataLine(text, at);
    }
  }
  // A failed read is no end of the file.
  if (in.bad()) throw LocatedError::Text(path, 0, "cannot be read");
  if (!conditions.empty()) {
    At{path, conditions.back().line}.Fail("this #ifdef or #ifndef has no #endif in its file");
  }
}

void TopologyReader::Directive(std::string_view text, const At& at,
                               std::vector<Condition>& conditions, int depth) {
  const std::vector<std::string_view> words = Words(text);
  const std::string name(words.empty() ? std::string_view() : words.front());
  const std::string_view operand = Trim(text.substr(name.size()));
  if (name == "ifdef" || name == "ifndef") {
    if (words.size() != 2) at.Expected("one name after #" + name, std::string(operand));
    const bool defined = defines_.count(std::string(words[1])) > 0;
    conditions.push_back({Active(conditions), defined == (name == "ifdef"), false, at.line});
  } else if (name == "else" || name == "endif") {
    if (conditions.empty() || (name == "else" && conditions.back().in_else)) {
      at.Fail("#" + name + " without an #ifdef or #ifndef before it in this file");
    }
    if (name == "else") {
      conditions.back().in_else = true;
    } else {
      conditions.pop_back();
    }
  } else if (!Active(conditions)) {
    // Lines of a branch not taken are only followed for their conditions.
  } else if (name == "include") {
    Include(operand, at, depth);
  } else if (name == "define") {
    if (words.size() < 2) at.Expected("a name after #define", "");
    defines_[std::string(words[1])] = std::string(Trim(operand.substr(words[1].size())));
  } else if (name == "undef") {
    if (words.size() != 2) at.Expected("one name after #undef", std::string(operand));
    defines_.erase(std::string(words[1]));
  } else {
    at.Expected("#include, #define, #undef, #ifdef, #ifndef, #else or #endif",
                std::string("#").append(text));
  }
}

void TopologyReader::Include(std::string_view operand, const At& at, int depth) {
  if (operand.size() < 3 || !((operand.front() == '"' && operand.back() == '"') ||
                              (operand.front() == '<' && operand.back() == '>'))) {
    at.Expected("a file name in quotes after #include", std::string(operand));
  }
  const std::string name(operand.substr(1, operand.size() - 2));
  if (depth >= kDeepestInclude) {
    at.Fail("includes nested more than " + std::to_string(kDeepestInclude) +
            " deep (does a file include itself?)");
  }
  namespace fs = std::filesystem;
  std::vector<fs::path> candidates = {fs::path(at.file).parent_path() / name};
  for (const std::string& folder : folders_) candidates.push_back(fs::path(folder) / name);
  for (const fs::path& candidate : candidates) {
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return ReadFile(candidate.string(), depth + 1);
  }
  std::string looked = "beside " + at.file;
  for (const std::string& folder : folders_) looked += ", in " + folder;
  at.Fail("cannot find the include file \"" + name + "\" (looked " + looked + ")");
}

// The words of a line with every defined name replaced by its value, as
// grompp's preprocessor does.
std::vector<std::string> TopologyReader::Expanded(std::string_view text) const {
  std::vector<std::string> words;
  for (const std::string_view word : Words(text)) {
    const auto define = defines_.find(std::string(word));
    if (define == defines_.end()) {
      words.emplace_back(word);
    } else {
      for (const std::string_view part : Words(define->second)) words.emplace_back(part);
    }
  }
  return words;
}

void TopologyReader::Heading(std::string_view text, const At& at) {
  if (text.back() != ']') at.Expected("a section heading such as [ atoms ]", std::string(text));
  section_ = Trim(text.substr(1, text.size() - 2));
  if (section_ == "system" || section_ == "molecules") current_ = -1;
}

void TopologyReader::DataLine(std::string_view text, const At& at) {
  if (text.front() == '[') return Heading(text, at);
  // grompp passes over lines before the first heading (banners of "*" lines).
  if (section_.empty()) return;
  const auto sections = {"moleculetype", "atoms", "bonds", "constraints", "settles", "molecules"};
  if (std::find(sections.begin(), sections.end(), section_) == sections.end()) return;
  const std::vector<std::string> words = Expanded(text);
  if (words.empty()) return;
  if (section_ == "moleculetype") return MoleculeType(words, at);
  if (section_ == "atoms") return Atom(words, at);
  if (section_ == "bonds") return BondLine(words, at, false);
  if (section_ == "constraints") return BondLine(words, at, true);
  if (section_ == "settles") return Settles(words, at);
  Molecules(words, at);
}

TopologyMoleculeType& TopologyReader::Current(const At& at) {
  if (current_ < 0) at.Fail("a [ " + section_ + " ] section outside any [ moleculetype ]");
  return topology_.types[static_cast<std::size_t>(current_)];
}

void TopologyReader::MoleculeType(const std::vector<std::string>& words, const At& at) {
  const auto [known, added] = type_by_name_.emplace(words[0], topology_.types.size());
  if (!added) {
    const TopologyMoleculeType& first = topology_.types[static_cast<std::size_t>(known->second)];
    at.Fail("a second molecule type named " + words[0] + " (the first is on line " +
            std::to_string(first.line) + " of " + first.file + ")");
  }
  current_ = known->second;
  topology_.types.push_back({words[0], at.file, at.line, {}, {}});
}

void TopologyReader::Atom(const std::vector<std::string>& words, const At& at) {
  TopologyMoleculeType& type = Current(at);
  const std::string number = std::to_string(type.atoms.size() + 1);
  if (words.size() < 5) {
    at.Expected("an atom line (number, type, residue number, residue, name, ...)",
                words.front() + " ...");
  }
  if (Integer(words[0]) != static_cast<int>(type.atoms.size() + 1)) {
    at.Expected("the atom number " + number + " (atoms counted from 1 in order)", words[0]);
  }
  // A residue number may carry an insertion code after its digits.
  int residue_number{};
  const std::string& residue = words[2];
  if (std::from_chars(residue.data(), residue.data() + residue.size(), residue_number).ec !=
      std::errc()) {
    at.Expected("the residue number of atom " + number, residue);
  }
  type.atoms.push_back({words[4], words[3], residue_number});
}

int TopologyReader::AtomIndex(const std::string& word, const At& at) {
  const TopologyMoleculeType& type = Current(at);
  const std::optional<int> index = Integer(word);
  const auto size = static_cast<int>(type.atoms.size());
  if (!index || *index < 1 || *index > size) {
    at.Expected("an atom of " + type.name + " (1 to " + std::to_string(size) + ")", word);
  }
  return *index - 1;
}

void TopologyReader::BondLine(const std::vector<std::string>& words, const At& at,
                              bool constraint) {
  if (words.size() < 2) at.Expected("two atoms", words.front());
  const int first = AtomIndex(words[0], at);
  const int second = AtomIndex(words[1], at);
  if (first == second) at.Expected("two different atoms", words[0] + " " + words[1]);
  const std::optional<int> function = words.size() > 2 ? Integer(words[2]) : 1;
  if (!function) at.Expected("the function type", words[2]);
  // Types 6, 9 and 10 of [ bonds ] are potentials between atoms that are not
  // bonded; types 1 to 4 state the length first; constraints state it first.
  if (!constraint && (*function == 6 || *function == 9 || *function == 10)) return;
  std::optional<double> length;
  if (words.size() > 3 && (constraint || *function <= 4)) {
    length = Length(words[3]);
    if (!length) at.Expected("a length", words[3]);
  }
  Current(at).bonds.push_back({first, second, length});
}

void TopologyReader::Settles(const std::vector<std::string>& words, const At& at) {
  if (words.size() < 4) {
    at.Expected("the oxygen, the function type and the O-H and H-H distances", words.front());
  }
  const int oxygen = AtomIndex(words[0], at);
  const std::size_t atoms = Current(at).atoms.size();
  if (static_cast<std::size_t>(oxygen) + 2 >= atoms) {  // both hydrogens follow the oxygen
    at.Expected("an oxygen followed by two hydrogens among the " + std::to_string(atoms) + " atoms",
                words[0]);
  }
  const std::optional<double> oh = Length(words[2]);
  const std::optional<double> hh = Length(words[3]);
  if (!oh) at.Expected("the O-H distance", words[2]);
  if (!hh) at.Expected("the H-H distance", words[3]);
  std::vector<Bond>& bonds = Current(at).bonds;
  bonds.push_back({oxygen, oxygen + 1, oh});
  bonds.push_back({oxygen, oxygen + 2, oh});
  bonds.push_back({oxygen + 1, oxygen + 2, hh});
}

void TopologyReader::Molecules(const std::vector<std::string>& words, const At& at) {
  const auto type = type_by_name_.find(words[0]);
  if (type == type_by_name_.end()) {
    at.Expected("a molecule that a [ moleculetype ] defines", words[0]);
  }
  const std::optional<int> count = words.size() == 2 ? Integer(words[1]) : std::nullopt;
  if (!count || *count < 0) {
    at.Expected("the number of " + words[0] + " molecules", words.size() > 1 ? words[1] : "");
  }
  const TopologyMoleculeType& defined = topology_.types[static_cast<std::size_t>(type->second)];
  if (defined.atoms.empty()) {
    at.Fail("the molecule type " + words[0] + " (line " + std::to_string(defined.line) + " of " +
            defined.file + ") has no atoms");
  }
  topology_.molecules.push_back({type->second, *count, at.file, at.line});
}

}  // namespace

Topology ReadTopology(const std::string& path, const TopologyOptions& options, Report& report) {
  TopologyReader reader(options, report);
  reader.ReadFile(path, 0);
  return reader.Finish();
}

std::vector<std::string> GromacsIncludeFolders(const char* gmxlib) {
  std::vector<std::string> folders;
  for (std::string_view rest = gmxlib ? gmxlib : ""; !rest.empty();) {
    const std::size_t colon = std::min(rest.find(':'), rest.size());
    if (colon > 0) folders.emplace_back(rest.substr(0, colon));
    rest.remove_prefix(std::min(colon + 1, rest.size()));
  }
  folders.emplace_back("/usr/share/gromacs/top");
  return folders;
}
