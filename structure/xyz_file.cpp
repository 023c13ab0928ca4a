// Extended XYZ: key=value pairs on the comment line, columns by Properties=.
#include "structure/xyz_file.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "io/error.hpp"
#include "io/text_writer.hpp"
#include "io/words.hpp"
#include "structure/element.hpp"
#include "structure/line_reader.hpp"

namespace {

struct Pair {
  std::string_view key;
  std::string_view value;  // without its quotes
  std::size_t begin, end;  // the pair's extent in the line
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool KeyIs(std::string_view key, std::string_view name) {
  return std::equal(key.begin(), key.end(), name.begin(), name.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

// The key=value pairs of a comment line; values may be in double quotes.
std::vector<Pair> Pairs(std::string_view line) {
  std::vector<Pair> pairs;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t begin = i;
    while (i < line.size() && !IsBlank(line[i]) && line[i] != '=') ++i;
    if (i >= line.size() || line[i] != '=') continue;
    const std::string_view key = line.substr(begin, i - begin);
    ++i;
    std::size_t value_begin = i, value_end;
    if (i < line.size() && line[i] == '"') {
      value_begin = ++i;
      while (i < line.size() && line[i] != '"') ++i;
      value_end = i;
      if (i < line.size()) ++i;
    } else {
      while (i < line.size() && !IsBlank(line[i])) ++i;
      value_end = i;
    }
    pairs.push_back({key, line.substr(value_begin, value_end - value_begin), begin, i});
  }
  return pairs;
}

// Where each needed column is among the words of an atom line.
struct Layout {
  std::size_t columns = 4;
  std::size_t species = 0;
  std::size_t position = 1;
  std::optional<std::size_t> type;
};

Layout ReadProperties(const LineReader& lines, std::string_view value) {
  const auto wrong = [&] {
    lines.Fail("Properties= as name:type:count with species:S:1 and pos:R:3", Quoted(value));
  };
  Layout layout;
  std::optional<std::size_t> species, position;
  std::vector<std::string_view> parts;
  std::string_view rest = value;
  while (true) {
    const std::size_t colon = rest.find(':');
    parts.push_back(rest.substr(0, colon));
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  if (parts.size() % 3 != 0) wrong();
  std::size_t column = 0;
  for (std::size_t p = 0; p < parts.size(); p += 3) {
    int count{};
    if (!ParseInt(parts[p + 2], count) || count < 1 || parts[p + 1].size() != 1 ||
        std::string_view("SRIL").find(parts[p + 1][0]) == std::string_view::npos)
      wrong();
    const std::string_view name = parts[p], type = parts[p + 1];
    if (name == "species" && type == "S" && count == 1) species = column;
    if (name == "pos" && type == "R" && count == 3) position = column;
    if (name == "type" && type == "I" && count == 1) layout.type = column;
    column += static_cast<std::size_t>(count);
  }
  if (!species || !position) wrong();
  layout.columns = column;
  layout.species = *species;
  layout.position = *position;
  return layout;
}

Cell ReadLattice(const LineReader& lines, std::string_view value) {
  std::vector<std::string_view> words;
  Words(value, words);
  Cell cell{};
  if (words.size() != 9) lines.Fail("Lattice= with nine numbers", Quoted(value));
  for (std::size_t i = 0; i < 9; ++i) {
    double& v = cell[i / 3][i % 3];
    if (!ParseReal(words[i], v) || !std::isfinite(v))
      lines.Fail("Lattice= with nine numbers", Quoted(value));
  }
  return cell;
}

// The comment line: the cell, the columns and the title (the rest of the line).
Layout ReadComment(const LineReader& lines, std::string_view line, Structure& structure) {
  Layout layout;
  std::string title;
  std::size_t kept = 0;
  for (const Pair& pair : Pairs(line)) {
    const bool lattice = KeyIs(pair.key, "lattice"), properties = KeyIs(pair.key, "properties");
    if (lattice) {
      structure.cell = ReadLattice(lines, pair.value);
      structure.cell_line = lines.number();
    }
    if (properties) layout = ReadProperties(lines, pair.value);
    if (lattice || properties || KeyIs(pair.key, "pbc")) {
      title += line.substr(kept, pair.begin - kept);
      kept = pair.end;
    }
  }
  title += line.substr(kept);
  structure.title = Trim(title);
  return layout;
}

}  // namespace

Structure ReadXyz(std::istream& in, const std::string& file) {
  LineReader lines(in, file);
  Structure structure;
  const std::string_view count_line = lines.Expect("the number of atoms");
  int count{};
  if (!ParseInt(count_line, count) || count < 0)
    lines.Fail("the number of atoms", Quoted(count_line));
  if (count == 0) lines.Fail("at least one atom", "0");
  const Layout layout = ReadComment(lines, lines.Expect("a comment line"), structure);
  structure.atoms.reserve(static_cast<std::size_t>(count));
  std::vector<std::string_view> words;
  int type{};
  const auto atom_of = [&](int i) {
    return "atom " + std::to_string(i + 1) + " of " + std::to_string(count);
  };
  for (int i = 0; i < count; ++i) {
    std::string_view line;
    if (!lines.Next(line)) lines.Expect(atom_of(i));
    Words(line, words);
    if (words.size() != layout.columns) {
      lines.Fail(std::to_string(layout.columns) + " columns for " + atom_of(i), Quoted(line));
    }
    StructureAtom atom;
    atom.line = lines.number();
    atom.name = words[layout.species];
    atom.element = ElementSymbol(atom.name);
    if (atom.element.empty() && layout.type && ParseInt(words[*layout.type], type)) {
      char name[16] = "T";
      atom.name.assign(name, std::to_chars(name + 1, name + sizeof name, type).ptr);
    }
    for (int k = 0; k < 3; ++k) {
      const std::string_view word = words[layout.position + k];
      if (!ParseReal(word, atom.position[k]) || !std::isfinite(atom.position[k])) {
        lines.Fail(std::string("a finite ") + "xyz"[k] + " for " + atom_of(i), Quoted(word));
      }
    }
    structure.atoms.push_back(std::move(atom));
  }
  // A next frame may follow, which starts with its count; nothing else may.
  std::string_view next;
  int next_count{};
  bool more = false;
  while (!more && lines.Next(next)) more = !Trim(next).empty();
  if (more && !ParseInt(next, next_count)) {
    lines.Fail("the end of the file or a next frame after the " + std::to_string(count) +
                   " atoms of line 1",
               Quoted(next));
  }
  return structure;
}

void WriteExtendedXyz(std::ostream& out, const Structure& structure,
                      const std::vector<int>& types) {
  const bool typed = std::any_of(structure.atoms.begin(), structure.atoms.end(),
                                 [](const StructureAtom& atom) { return atom.element.empty(); });
  TextWriter w(out);
  w.SetGeneral(10);
  w << static_cast<std::int64_t>(structure.atoms.size()) << '\n';
  if (structure.cell) {
    const char* separator = "Lattice=\"";
    for (const auto& edge : *structure.cell) {
      for (const double v : edge) {
        w << separator << v;
        separator = " ";
      }
    }
    w << "\" ";
  }
  w << (typed ? "Properties=species:S:1:pos:R:3:type:I:1" : "Properties=species:S:1:pos:R:3")
    << (structure.cell ? " pbc=\"T T T\"\n" : " pbc=\"F F F\"\n");
  for (std::size_t i = 0; i < structure.atoms.size(); ++i) {
    const StructureAtom& atom = structure.atoms[i];
    w << (atom.element.empty() ? std::string_view("X") : std::string_view(atom.element));
    for (const double x : atom.position) w << ' ' << x;
    if (typed) w << ' ' << types[i] + 1;
    w << '\n';
  }
}
