// mmCIF through gemmi's CIF parser; the one translation unit that compiles it.
#include "structure/cif_file.hpp"

#include <cmath>
#include <gemmi/cif.hpp>
#include <vector>

#include "io/error.hpp"
#include "io/words.hpp"
#include "structure/cell.hpp"
#include "structure/element.hpp"

namespace {

namespace cif = gemmi::cif;

// The columns of _atom_site that are read; the first three must be there.
enum Column {
  kX,
  kY,
  kZ,
  kSymbol,
  kAuthName,
  kName,
  kAuthResidue,
  kResidue,
  kAuthNumber,
  kNumber,
  kAuthChain,
  kChain,
  kAltLoc,
  kModel
};
const std::vector<std::string> kColumns = {
    "Cartn_x",        "Cartn_y",        "Cartn_z",        "?type_symbol",       "?auth_atom_id",
    "?label_atom_id", "?auth_comp_id",  "?label_comp_id", "?auth_seq_id",       "?label_seq_id",
    "?auth_asym_id",  "?label_asym_id", "?label_alt_id",  "?pdbx_PDB_model_num"};

// A CIF number without its standard uncertainty: "12.345(3)" is 12.345.
bool CifNumber(const std::string& text, double& value) {
  return ParseReal(std::string_view(text).substr(0, text.find('(')), value);
}

class AtomTable {
 public:
  AtomTable(cif::Table& table, const std::string& file, int line)
      : table_(table), file_(file), line_(line) {}

  // The value of `column` in `row` where it is there and not null, else empty.
  std::string Text(int row, Column column, Column instead) const {
    cif::Table::Row r = table_[row];
    if (r.has2(column)) return cif::as_string(r[column]);
    if (r.has2(instead)) return cif::as_string(r[instead]);
    return {};
  }

  StructureAtom Atom(int row) const {
    StructureAtom atom;
    atom.line = line_;
    atom.name = Text(row, kAuthName, kName);
    atom.residue = Text(row, kAuthResidue, kResidue);
    atom.chain = Text(row, kAuthChain, kChain);
    const std::string number = Text(row, kAuthNumber, kNumber);
    if (!number.empty() && !ParseInt(number, atom.residue_number))
      Fail(row, "a residue number (auth_seq_id)", number);
    for (int k = 0; k < 3; ++k) {
      const std::string& text = table_[row][k];
      if (!CifNumber(text, atom.position[k]) || !std::isfinite(atom.position[k]))
        Fail(row, "a finite " + kColumns[k], text);
    }
    const std::string symbol = Text(row, kSymbol, kSymbol);
    atom.element = symbol.empty() ? ElementOfName(atom.name, atom.residue) : ElementSymbol(symbol);
    if (atom.element.empty() && !symbol.empty())
      Fail(row, "a chemical element (type_symbol)", symbol);
    return atom;
  }

  // "expected WHAT in row N of the _atom_site table", located at the table's first line.
  [[noreturn]] void Fail(int row, const std::string& what, const std::string& found) const {
    throw LocatedError(file_, line_,
                       what + " in row " + std::to_string(row + 1) + " of the _atom_site table",
                       Quoted(found));
  }

 private:
  cif::Table& table_;
  const std::string& file_;
  int line_;
};

void ReadCell(cif::Block& block, const std::string& file, Structure& structure) {
  const char* const tags[6] = {"_cell.length_a",    "_cell.length_b",   "_cell.length_c",
                               "_cell.angle_alpha", "_cell.angle_beta", "_cell.angle_gamma"};
  double values[6];
  for (int i = 0; i < 6; ++i) {
    const cif::Item* item = block.find_pair_item(tags[i]);
    if (!item) return;
    if (!CifNumber(item->pair[1], values[i]) || !std::isfinite(values[i]) || !(values[i] > 0)) {
      throw LocatedError(file, item->line_number, std::string("a positive ") + tags[i],
                         Quoted(item->pair[1]));
    }
  }
  structure.cell =
      CellFromParameters(values[0], values[1], values[2], values[3], values[4], values[5]);
  structure.cell_line = block.find_pair_item(tags[0])->line_number;
}

}  // namespace

Structure ReadCif(std::istream& in, const std::string& file) {
  cif::Document document;
  try {
    document = cif::read_istream(in, 1 << 16, file.c_str());
  } catch (const tao::pegtl::parse_error& error) {
    throw LocatedError::Text(file, static_cast<int>(error.positions().front().line),
                             std::string(error.message()));
  }
  if (document.blocks.empty()) throw LocatedError(file, 0, "a data block", "none");
  cif::Block& block = document.blocks.front();
  Structure structure;
  structure.unit = "A";
  if (const std::string* title = block.find_value("_struct.title"))
    structure.title = cif::as_string(*title);
  cif::Table table = block.find("_atom_site.", kColumns);
  if (!table.ok() || table.length() == 0) {
    throw LocatedError(file, 0, "an _atom_site table with Cartn_x, Cartn_y and Cartn_z", "none");
  }
  const int line = table.loop_item ? table.loop_item->line_number
                                   : block.find_pair_item("_atom_site.Cartn_x")->line_number;
  const AtomTable atoms(table, file, line);
  const std::string model = atoms.Text(0, kModel, kModel);
  for (int row = 0; row < static_cast<int>(table.length()); ++row) {
    const std::string altloc = atoms.Text(row, kAltLoc, kAltLoc);
    if (atoms.Text(row, kModel, kModel) != model || (!altloc.empty() && altloc != "A")) continue;
    structure.atoms.push_back(atoms.Atom(row));
  }
  ReadCell(block, file, structure);
  return structure;
}
