// GROMACS .gro: fixed columns for the atoms, free format for the box.
#include "structure/gro_file.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <vector>

#include "io/error.hpp"
#include "io/text_writer.hpp"
#include "io/words.hpp"
#include "structure/cell.hpp"
#include "structure/element.hpp"
#include "structure/line_reader.hpp"

namespace {

// Columns of an atom line, from 0: residue number, residue name, atom name and
// atom number five each, then x, y and z.
constexpr std::size_t kResidueNumber = 0, kResidueName = 5, kAtomName = 10, kCoordinates = 20;
constexpr std::size_t kNameWidth = 5;

std::string AtomOf(int index, int count) {
  return "atom " + std::to_string(index + 1) + " of " + std::to_string(count);
}

// The width of a coordinate: the distance between the first two decimal points.
std::size_t CoordinateWidth(std::string_view line) {
  const std::size_t first = line.find('.', kCoordinates);
  const std::size_t second = first == std::string_view::npos ? first : line.find('.', first + 1);
  return second == std::string_view::npos ? 8 : second - first;
}

// Elements told from names, by name and residue: a box repeats a few of them.
using ElementCache = std::unordered_map<std::string, std::string>;

StructureAtom ReadAtom(LineReader& lines, std::string_view line, std::size_t width, int index,
                       int count, ElementCache& elements) {
  StructureAtom atom;
  atom.line = lines.number();
  const std::string_view number = Columns(line, kResidueNumber, kNameWidth);
  if (!ParseInt(number, atom.residue_number)) {
    lines.Fail("the residue number of " + AtomOf(index, count) + " in columns 1-5", Quoted(number));
  }
  atom.residue = Trim(Columns(line, kResidueName, kNameWidth));
  atom.name = Trim(Columns(line, kAtomName, kNameWidth));
  for (int k = 0; k < 3; ++k) {
    const std::string_view field = Columns(line, kCoordinates + k * width, width);
    const bool number = ParseReal(field, atom.position[k]);
    if (number && std::isfinite(atom.position[k])) continue;
    const std::string what = "xyz"[k] + (" of " + AtomOf(index, count));
    if (number) lines.Fail("a finite " + what, Quoted(Trim(field)));
    lines.Fail(what + " in columns " + std::to_string(kCoordinates + k * width + 1) + "-" +
                   std::to_string(kCoordinates + (k + 1) * width),
               field.empty() ? "the end of the line" : Quoted(field));
  }
  const auto [known, added] = elements.try_emplace(atom.name + ' ' + atom.residue);
  if (added) known->second = ElementOfName(atom.name, atom.residue);
  atom.element = known->second;
  return atom;
}

// v1(x) v2(y) v3(z), then optionally v1(y) v1(z) v2(x) v2(z) v3(x) v3(y).
std::optional<Cell> ReadBox(LineReader& lines, int count) {
  const std::string what =
      "the box (3 or 9 numbers) after the " + std::to_string(count) + " atoms of line 2";
  const std::string_view line = lines.Expect(what);
  std::vector<double> values;
  std::string_view rest = line;
  while (!Trim(rest).empty()) {
    rest = rest.substr(rest.find_first_not_of(" \t"));
    const std::size_t end = std::min(rest.size(), rest.find_first_of(" \t"));
    double value{};
    if (!ParseReal(rest.substr(0, end), value) || !std::isfinite(value))
      lines.Fail(what, Quoted(line));
    values.push_back(value);
    rest.remove_prefix(end);
  }
  if (values.size() != 3 && values.size() != 9) lines.Fail(what, Quoted(line));
  values.resize(9);
  if (std::all_of(values.begin(), values.end(), [](double v) { return v == 0; })) return {};
  return Cell{{{values[0], values[3], values[4]},
               {values[5], values[1], values[6]},
               {values[7], values[8], values[2]}}};
}

}  // namespace

Structure ReadGro(std::istream& in, const std::string& file) {
  LineReader lines(in, file);
  Structure structure;
  structure.unit = "nm";
  structure.title = lines.Expect("a title line");
  const std::string_view count_line = lines.Expect("the number of atoms");
  int count{};
  if (!ParseInt(count_line, count) || count < 0)
    lines.Fail("the number of atoms", Quoted(count_line));
  if (count == 0) lines.Fail("at least one atom", "0");
  structure.atoms.reserve(static_cast<std::size_t>(count));
  std::size_t width = 0;
  ElementCache elements;
  for (int i = 0; i < count; ++i) {
    std::string_view line;
    if (!lines.Next(line)) lines.Expect(AtomOf(i, count));
    if (i == 0) width = CoordinateWidth(line);
    structure.atoms.push_back(ReadAtom(lines, line, width, i, count, elements));
  }
  structure.cell = ReadBox(lines, count);
  if (structure.cell) structure.cell_line = lines.number();
  return structure;
}

void WriteGro(std::ostream& out, const Structure& structure, const std::string& file) {
  const double scale = LengthScale(structure.unit, "nm");
  TextWriter w(out);
  w.SetFixed(3);
  std::string title = structure.title;
  std::replace(title.begin(), title.end(), '\n', ' ');
  w << title << '\n';
  w.Width(5) << static_cast<std::int64_t>(structure.atoms.size()) << '\n';
  for (std::size_t i = 0; i < structure.atoms.size(); ++i) {
    const StructureAtom& atom = structure.atoms[i];
    CheckNameFits(file, i, atom.residue, kNameWidth, "a residue name");
    CheckNameFits(file, i, atom.name, kNameWidth, "an atom name");
    w.Width(5) << atom.residue_number % 100000;
    w << atom.residue << std::string_view("     ").substr(atom.residue.size());
    w.Width(5) << atom.name;
    w.Width(5) << static_cast<int>((i + 1) % 100000);
    for (const double x : atom.position) {
      const double nm = x * scale;
      CheckCoordinateFits(file, i, nm, "nm");
      w.Width(8) << nm;
    }
    w << '\n';
  }
  w.SetFixed(5);
  const Cell cell = structure.cell.value_or(Cell{});
  for (const double v : {cell[0][0], cell[1][1], cell[2][2]}) w.Width(10) << v * scale;
  if (cell[0][1] != 0 || cell[0][2] != 0 || cell[1][0] != 0 || cell[1][2] != 0 || cell[2][0] != 0 ||
      cell[2][1] != 0) {
    for (const double v : {cell[0][1], cell[0][2], cell[1][0], cell[1][2], cell[2][0], cell[2][1]})
      w.Width(10) << v * scale;
  }
  w << '\n';
}
