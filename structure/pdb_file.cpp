// PDB records: read by their columns, written by gemmi, the one translation
// unit that compiles gemmi's writer. Debian's gemmi comes without its bundled
// stb_sprintf, so its writer formats with the standard snprintf.
#define GEMMI_WRITE_IMPLEMENTATION
#define USE_STD_SNPRINTF
#include "structure/pdb_file.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <gemmi/model.hpp>
#include <gemmi/to_pdb.hpp>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "io/error.hpp"
#include "io/words.hpp"
#include "structure/cell.hpp"
#include "structure/element.hpp"
#include "structure/line_reader.hpp"

namespace {

struct Field {
  std::size_t start;  // from 0
  std::size_t width;
  const char* name;
};

// ATOM and HETATM; GROMACS writes four-letter residue names into column 21.
constexpr Field kSerial{6, 5, "the serial"}, kName{12, 4, "the atom name"}, kAltLoc{16, 1, ""},
    kResidue{17, 4, "the residue name"}, kChain{21, 1, ""}, kResidueNumber{22, 4, ""},
    kElement{76, 2, "a chemical element"};
constexpr Field kPosition[3] = {{30, 8, "x"}, {38, 8, "y"}, {46, 8, "z"}};
// CRYST1: a, b, c, alpha, beta, gamma.
constexpr Field kCellField[6] = {{6, 9, "a"},      {15, 9, "b"},    {24, 9, "c"},
                                 {33, 7, "alpha"}, {40, 7, "beta"}, {47, 7, "gamma"}};
// CONECT: an atom, then up to four atoms bonded to it.
constexpr std::size_t kConectFirst = 6, kConectFields = 5;

std::string_view At(std::string_view line, const Field& field) {
  return Columns(line, field.start, field.width);
}

std::string ColumnsText(const Field& field) {
  return "columns " + std::to_string(field.start + 1) + "-" +
         std::to_string(field.start + field.width);
}

bool IsRecord(std::string_view line, std::string_view name) {
  return Trim(line.substr(0, std::min<std::size_t>(6, line.size()))) == name;
}

// A number too wide for its columns, as writers put it there: decimal, hybrid-36
// (A000 after 9999: upper case, then lower case) or hexadecimal (186A0 after
// 99999). Empty for anything else, such as stars.
std::optional<int> WideNumber(std::string_view text) {
  text = Trim(text);
  int value{};
  if (ParseInt(text, value)) return value;
  if (text.empty()) return {};
  const auto digits = [&](int base) -> std::optional<long> {
    long result = 0;
    for (const char c : text) {
      const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                    : std::isalpha(static_cast<unsigned char>(c))
                        ? std::toupper(static_cast<unsigned char>(c)) - 'A' + 10
                        : base;
      if (d >= base) return {};
      result = result * base + d;
    }
    return result;
  };
  const long power36 = static_cast<long>(std::pow(36, text.size() - 1));
  const long power10 = static_cast<long>(std::pow(10, text.size()));
  if (std::isupper(static_cast<unsigned char>(text[0]))) {
    if (const auto v = digits(36)) return static_cast<int>(*v - 10 * power36 + power10);
  } else if (std::islower(static_cast<unsigned char>(text[0]))) {
    if (const auto v = digits(36))
      return static_cast<int>(*v - 10 * power36 + power10 + 26 * power36);
  } else if (const auto v = digits(16)) {
    return static_cast<int>(*v);
  }
  return {};
}

// An ion alone in its residue ("NA" in "NA", which GROMACS writes as " NA "); else the
// element of columns 13-14 as the PDB aligns names (" CA " carbon, "CA  " calcium),
// after digits (1HB, C210) and four-letter hydrogens (HD21); else from the name alone.
std::string ElementFromName(std::string_view line, std::string_view name,
                            std::string_view residue) {
  if (name == residue) {
    if (std::string ion = ElementOfName(name, residue); !ion.empty()) return ion;
  }
  const std::string padded = std::string(At(line, kName)) + "    ";
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  std::string element;
  if (std::toupper(static_cast<unsigned char>(padded[0])) == 'H' && padded[3] != ' ') {
    element = "H";
  } else if (digit(padded[0])) {
    element = ElementSymbol(padded.substr(1, 1));
  } else if (digit(padded[1])) {
    element = ElementSymbol(padded.substr(0, 1));
  } else {
    element = ElementSymbol(Trim(padded.substr(0, 2)));
  }
  return element.empty() ? ElementOfName(name, residue) : element;
}

StructureAtom ReadAtom(LineReader& lines, std::string_view line) {
  StructureAtom atom;
  atom.line = lines.number();
  if (line.size() < kPosition[2].start + kPosition[2].width) {
    lines.Fail("an atom record with x, y and z in columns 31-54", Quoted(line));
  }
  atom.name = Trim(At(line, kName));
  atom.residue = Trim(At(line, kResidue));
  atom.chain = Trim(At(line, kChain));
  atom.residue_number = WideNumber(At(line, kResidueNumber)).value_or(0);
  for (int k = 0; k < 3; ++k) {
    const std::string_view field = At(line, kPosition[k]);
    if (!ParseReal(field, atom.position[k])) {
      lines.Fail(std::string(kPosition[k].name) + " in " + ColumnsText(kPosition[k]),
                 Quoted(field));
    }
    if (!std::isfinite(atom.position[k])) {
      lines.Fail(std::string("a finite ") + kPosition[k].name, Quoted(Trim(field)));
    }
  }
  const std::string_view symbol = Trim(At(line, kElement));
  if (symbol.empty()) {
    atom.element = ElementFromName(line, atom.name, atom.residue);
  } else {
    atom.element = ElementSymbol(symbol);
    if (atom.element.empty()) {
      lines.Fail(std::string(kElement.name) + " in " + ColumnsText(kElement), Quoted(symbol));
    }
  }
  return atom;
}

std::optional<Cell> ReadCell(LineReader& lines, std::string_view line) {
  double values[6];
  for (int i = 0; i < 6; ++i) {
    const std::string_view field = At(line, kCellField[i]);
    if (!ParseReal(field, values[i]) || !std::isfinite(values[i]) || !(values[i] > 0)) {
      lines.Fail("a positive cell " + std::string(kCellField[i].name) + " in " +
                     ColumnsText(kCellField[i]),
                 Quoted(field));
    }
  }
  const double no_crystal[6] = {1, 1, 1, 90, 90, 90};
  if (std::equal(values, values + 6, no_crystal)) return {};
  return CellFromParameters(values[0], values[1], values[2], values[3], values[4], values[5]);
}

struct Conect {
  int line;
  std::string text;
};

// The bonds of the CONECT records, each pair once, the lower atom first.
std::vector<std::pair<int, int>> ReadBonds(const std::string& file,
                                           const std::vector<Conect>& records,
                                           const std::vector<std::optional<int>>& serials) {
  std::unordered_map<int, int> atom_of;  // serial to atom; -1 where two atoms have it
  for (std::size_t i = 0; i < serials.size(); ++i) {
    if (!serials[i]) continue;
    const auto [it, added] = atom_of.emplace(*serials[i], static_cast<int>(i));
    if (!added) it->second = -1;
  }
  std::vector<std::pair<int, int>> bonds;
  for (const Conect& record : records) {
    int atoms[kConectFields];
    int count = 0;
    for (std::size_t f = 0; f < kConectFields; ++f) {
      const std::string_view field = Columns(record.text, kConectFirst + 5 * f, 5);
      if (Trim(field).empty() && f > 0) continue;
      const std::optional<int> serial = WideNumber(field);
      const auto it = serial ? atom_of.find(*serial) : atom_of.end();
      if (it == atom_of.end() || it->second < 0) {
        throw LocatedError(file, record.line,
                           "the serial of one atom in columns " +
                               std::to_string(kConectFirst + 5 * f + 1) + "-" +
                               std::to_string(kConectFirst + 5 * f + 5),
                           Quoted(field));
      }
      atoms[count++] = it->second;
    }
    for (int b = 1; b < count; ++b) bonds.emplace_back(std::minmax(atoms[0], atoms[b]));
  }
  std::sort(bonds.begin(), bonds.end());
  bonds.erase(std::unique(bonds.begin(), bonds.end()), bonds.end());
  return bonds;
}

}  // namespace

Structure ReadPdb(std::istream& in, const std::string& file) {
  LineReader lines(in, file);
  Structure structure;
  structure.unit = "A";
  std::vector<std::optional<int>> serials;
  std::vector<Conect> conects;
  bool past_first_model = false;
  std::string_view line;
  while (lines.Next(line)) {
    if (IsRecord(line, "ATOM") || IsRecord(line, "HETATM")) {
      const char altloc = At(line, kAltLoc).empty() ? ' ' : line[kAltLoc.start];
      if (past_first_model || (altloc != ' ' && altloc != 'A')) continue;
      structure.atoms.push_back(ReadAtom(lines, line));
      serials.push_back(WideNumber(At(line, kSerial)));
    } else if (IsRecord(line, "ENDMDL")) {
      past_first_model = true;
    } else if (IsRecord(line, "CRYST1")) {
      structure.cell = ReadCell(lines, line);
      structure.cell_line = structure.cell ? lines.number() : 0;
    } else if (IsRecord(line, "TITLE")) {
      const std::string_view text = Trim(Columns(line, 10, 70));
      if (!structure.title.empty() && !text.empty()) structure.title += ' ';
      structure.title += text;
    } else if (IsRecord(line, "CONECT")) {
      conects.push_back({lines.number(), std::string(line)});
    } else if (IsRecord(line, "END")) {
      break;
    }
  }
  if (structure.atoms.empty()) lines.Fail("ATOM or HETATM records", "none");
  structure.bonds = ReadBonds(file, conects, serials);
  return structure;
}

namespace {

gemmi::Atom PdbAtom(const std::string& file, std::size_t index, const StructureAtom& atom,
                    double scale) {
  CheckNameFits(file, index, atom.name, 4, "a PDB atom name");
  gemmi::Atom out;
  out.name = atom.name;
  out.element = gemmi::Element(atom.element);
  out.b_iso = 0;
  for (const double x : atom.position) CheckCoordinateFits(file, index, x * scale, "A");
  out.pos =
      gemmi::Position(atom.position[0] * scale, atom.position[1] * scale, atom.position[2] * scale);
  return out;
}

}  // namespace

void WritePdb(std::ostream& out, const Structure& structure, const std::string& file) {
  const double scale = LengthScale(structure.unit, "A");
  gemmi::Structure pdb;
  pdb.info["_struct.title"] = structure.title;
  if (structure.cell) {
    Cell cell = *structure.cell;
    for (auto& edge : cell)
      for (double& v : edge) v *= scale;
    const auto [a, b, c, alpha, beta, gamma] = CellParameters(cell);
    pdb.cell.set(a, b, c, alpha, beta, gamma);
  }
  pdb.models.emplace_back("1");
  gemmi::Model& model = pdb.models.back();
  const StructureAtom* previous = nullptr;
  for (std::size_t i = 0; i < structure.atoms.size(); ++i) {
    const StructureAtom& atom = structure.atoms[i];
    CheckNameFits(file, i, atom.residue, 3, "a PDB residue name");
    CheckNameFits(file, i, atom.chain, 1, "a PDB chain name");
    if (atom.residue_number < -999) {
      throw LocatedError(file, 0,
                         "a residue number of at least -999 for atom " + std::to_string(i + 1),
                         std::to_string(atom.residue_number));
    }
    if (!previous || atom.chain != previous->chain) model.chains.emplace_back(atom.chain);
    gemmi::Chain& chain = model.chains.back();
    if (chain.residues.empty() || atom.residue_number != previous->residue_number ||
        atom.residue != previous->residue || atom.chain != previous->chain) {
      gemmi::Residue residue;
      residue.name = atom.residue;
      residue.seqid = gemmi::SeqId(atom.residue_number, ' ');
      chain.residues.push_back(std::move(residue));
    }
    chain.residues.back().atoms.push_back(PdbAtom(file, i, atom, scale));
    previous = &atom;
  }
  gemmi::write_pdb(pdb, out);
}
