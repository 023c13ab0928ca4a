// fncprep convert: any structure format into a typed configuration or
// another structure format, and a configuration back.
#include "app/convert.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <stdexcept>

#include "cfg/configuration.hpp"
#include "io/file_stream.hpp"
#include "structure/cif_file.hpp"
#include "structure/element.hpp"
#include "structure/gro_file.hpp"
#include "structure/pdb_file.hpp"
#include "structure/xyz_file.hpp"

namespace {

void WriteStructure(Format format, const Structure& structure, const AtomTypes& types,
                    const std::string& file, Report& report) {
  RunOutputs outputs({});  // the command line has refused an output that is the input
  std::ofstream out;
  outputs.Open(out, file, report);
  if (format == Format::kGro) {
    WriteGro(out, structure, file);
  } else if (format == Format::kPdb) {
    WritePdb(out, structure, file);
  } else {
    WriteExtendedXyz(out, structure, types.of_atom);
  }
  CheckWriteOutcome("", out, file);
  outputs.Close(out, "");
  outputs.Place();
}

// The types renamed, and each atom after its type, its element told from the name.
void Rename(Structure& structure, AtomTypes& types, std::vector<std::string> names) {
  std::vector<std::string> elements;
  for (const std::string& name : names)
    elements.push_back(ElementSymbol(name) == name ? name : ElementOfName(name, ""));
  for (std::size_t i = 0; i < structure.atoms.size(); ++i) {
    structure.atoms[i].name = names[types.of_atom[i]];
    structure.atoms[i].element = elements[types.of_atom[i]];
  }
  types.names = std::move(names);
}

std::string UnitText(const std::string& unit, Format out, const std::string& in) {
  if (unit.empty()) return "that of " + in + ", which does not state it";
  if (out == Format::kGro) return "nm";
  if (out == Format::kPdb || unit == "A") return "angstrom";
  return unit;
}

void PrintTypes(const AtomTypes& types, const std::string& unit) {
  std::size_t width = 4;
  for (const std::string& name : types.names) width = std::max(width, name.size());
  std::cout << "type  " << std::left << std::setw(static_cast<int>(width)) << "name" << std::right
            << "      atoms\n";
  for (std::size_t t = 0; t < types.names.size(); ++t) {
    std::cout << std::setw(4) << t + 1 << "  " << std::left << std::setw(static_cast<int>(width))
              << types.names[t] << std::right << ' ' << std::setw(10) << types.counts[t] << '\n';
  }
  std::cout << "length unit: " << unit << '\n';
}

}  // namespace

std::optional<Format> FormatOf(const std::string& file) {
  std::string extension = std::filesystem::path(file).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".gro") return Format::kGro;
  if (extension == ".pdb" || extension == ".ent") return Format::kPdb;
  if (extension == ".cif" || extension == ".mmcif") return Format::kCif;
  if (extension == ".xyz" || extension == ".extxyz") return Format::kXyz;
  if (extension == ".cfg") return Format::kCfg;
  return {};
}

Structure ReadStructure(const std::string& file, std::optional<double> box, Report& report) {
  std::ifstream in;
  OpenOn(in, file, std::ios::in | std::ios::binary, report);
  Structure structure;
  switch (*FormatOf(file)) {
    case Format::kGro:
      structure = ReadGro(in, file);
      break;
    case Format::kPdb:
      structure = ReadPdb(in, file);
      break;
    case Format::kCif:
      structure = ReadCif(in, file);
      break;
    default:
      structure = ReadXyz(in, file);
  }
  if (box) {
    if (structure.cell) {
      throw LocatedError::Text(file, structure.cell_line,
                               "gives its box; --box is for a file without one");
    }
    structure.cell = Cell{{{*box, 0, 0}, {0, *box, 0}, {0, 0, *box}}};
  }
  return structure;
}

std::vector<std::string> NamesForTypes(const std::vector<std::string>& names, std::size_t types) {
  if (names.size() != types) {
    throw LocatedError("--names", 0, std::to_string(types) + " names, one for each type",
                       std::to_string(names.size()));
  }
  return names;
}

void RunConvert(const ConvertRequest& request, Report& report) {
  const Format in = *FormatOf(request.in), out = *FormatOf(request.out);
  WithMemoryGuard("convert", request.in, [&] {
    Structure structure;
    AtomTypes types;
    TypedConfiguration config;
    if (in == Format::kCfg) {
      config = ReadConfiguration(request.in, report);
      if (request.box)
        throw LocatedError::Text(request.in, 0, "gives its box; --box is for a file without one");
      if (request.names) config.names = NamesForTypes(*request.names, config.counts.size());
      structure = ToStructure(config);
      types = TypesOf(config);
    } else {
      structure = ReadStructure(request.in, request.box, report);
      types = TypesOf(structure, request.types, request.in);
      if (request.names)
        Rename(structure, types, NamesForTypes(*request.names, types.names.size()));
      if (out == Format::kCfg) config = ToConfiguration(structure, types, request.in);
    }
    if (structure.atoms.empty()) throw LocatedError(request.in, 0, "at least one atom", "none");
    if (out == Format::kCfg) {
      RunOutputs outputs({});  // the command line has refused an output that is the input
      WriteConfiguration(config, request.out, outputs, report);
      outputs.Place();
    } else {
      try {
        WriteStructure(out, structure, types, request.out, report);
      } catch (const std::runtime_error& error) {  // gemmi's
        throw LocatedError::Text(request.out, 0, error.what());
      }
    }
    PrintTypes(types, UnitText(structure.unit, out, request.in));
  });
}
