// The version 3 configuration file: the header counts reader, the whole-file
// reader and the writer. Everything that knows this file's line layout is here.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <string_view>

#include "cfg/configuration.hpp"
#include "cfg/simple_cfg.hpp"
#include "io/error.hpp"
#include "io/file_stream.hpp"
#include "io/text_reader.hpp"
#include "io/text_writer.hpp"

namespace {

// What the first number of a type block's first line is.
constexpr std::string_view kTypeCount = "the number of atoms of type ";

}  // namespace

bool SimpleCfg::GetParams_cfg(std::istream& in, const std::string& name, Report& report) {
  if (in.fail()) {
    report.Notice("SimpleCfg::GetParams_cfg - text file not open or non-existing.");
    return false;
  }
  layoutfile = name;
  WithMemoryGuard("SimpleCfg::GetParams_cfg", name, [&] {
    TextScanner scan(in, name);
    [&] {
      scan.SkipLines(7);
      if (!scan.ReadCount(natoms, "the number of atoms")) return;
      const int atoms_line = scan.line();
      scan.SkipLine();
      int types{};
      if (!scan.ReadCount(types, "the number of types")) return;
      ntypes = types;
      scan.SkipLines(6);
      double length{};
      if (!scan.ReadReal(length, "the box length")) return;
      if (!(length > 0) || !std::isfinite(length)) return scan.Reject("a positive box length");
      // Coordinates are written in box units: a subnormal box would make them infinite.
      if (!std::isnormal(length))
        return scan.Reject("a box length of at least 2.2250738585072014e-308");
      boxlength = length;
      scan.SkipLines(4);
      typestart.assign(1, 0);
      for (int t = 0; t < types; ++t) {
        int count{};
        if (!scan.ReadCount(count, OfType(kTypeCount, t))) return;
        scan.SkipLines(4);
        if (std::int64_t{typestart.back()} + count > std::numeric_limits<int>::max()) {
          return scan.Reject("type counts whose sum fits 2147483647", std::to_string(count));
        }
        ni.push_back(count);
        typestart.push_back(typestart.back() + count);
      }
      if (typestart.back() != natoms && !in.fail()) {
        report.Warn({name, atoms_line,
                     "the counts of the " + std::to_string(types) + " types add up to " +
                         std::to_string(typestart.back()) + ", not to the " +
                         std::to_string(natoms) + " atoms of this line"});
      }
    }();
    scan.Check("SimpleCfg::GetParameters");
  });
  return true;
}

CfgHeading ReadCfgHeading(std::istream& in, const std::string& name) {
  CfgHeading heading;
  TextScanner scan(in, name);
  scan.SkipLine();
  scan.ReadLine(heading.title);
  scan.SkipLines(12);
  // Each vector on a line of its own, from the box length's line on.
  for (int v = 0; v < 3; ++v) {
    for (int k = 0; k < 3; ++k) {
      const std::string what = std::string(1, "xyz"[k]) + " of defining vector " +
                               std::to_string(v + 1) + " on line " + std::to_string(15 + v);
      if (!scan.ReadReal(heading.vectors[v][k], what)) break;
      if (v == 0 && k == 0) heading.line = scan.line();
      if (scan.line() != heading.line + v) scan.Reject(what);
    }
  }
  scan.Check("SimpleCfg::GetParams_cfg");
  return heading;
}

void SimpleCfg::load(std::istream& in, const std::string& name) {
  if (in.fail()) {
    throw LocatedError::Text(name, 0, "not open")
        .Lines({"SimpleCfg::load - file not open or non-existing."}, true);
  }
  // Every count must be the one this object was built with, so nothing is
  // read past its coordinates or the per-type counts.
  WithMemoryGuard("SimpleCfg::load", name, [&] {
    TextScanner scan(in, name);
    [&] {
      scan.SkipLines(7);
      int atoms{};
      if (!scan.ReadInt(atoms, "the number of atoms")) return;
      if (atoms != atomcount_)
        return scan.Reject(std::to_string(atomcount_) + " atoms, as read before");
      scan.SkipLine();
      int types{};
      if (!scan.ReadInt(types, "the number of types")) return;
      if (types != typecount() || types > static_cast<int>(ni.size())) {
        return scan.Reject(std::to_string(typecount()) + " types, as read before");
      }
      scan.SkipLines(10);  // the box, read before
      for (int t = 0; t < types; ++t) {
        int count{};
        if (!scan.ReadCount(count, OfType(kTypeCount, t))) return;
        scan.SkipLines(4);
        if (count != ni[t]) return scan.Reject(std::to_string(ni[t]) + " atoms, as read before");
      }
      // Coordinates are in box units: in the length unit they must be finite.
      const std::size_t values = static_cast<std::size_t>(atomcount_) * 3;
      if (scan.ReadReals(
              coords.get(), values,
              [](std::size_t i) {
                return std::string(1, "xyz"[i % 3]) + " of atom " + std::to_string(i / 3 + 1);
              },
              boxlength) == values &&
          atomcount_ > 0) {
        scan.EndRecord(report_, "the coordinates of atom " + std::to_string(atomcount_));
      }
    }();
    scan.Check("SimpleCfg::load");
  });
}

void SimpleCfg::save(std::ostream& out, const std::string& title, const std::string& name) const {
  if (out.fail()) {
    throw LocatedError::Text(name, 0, "not open")
        .Lines({"There is no open file to save the SimpleCfg object "}, true);
  }
  WithMemoryGuard("SimpleCfg::save", name, [&] {
    TextWriter w(out);
    constexpr std::string_view kIndent = "            ";
    w << " (Version 3 format configuration file) !file created by SimpleCfg::save !\n";
    w << title << "\n\n\n";
    w << ' ' << Width10 << 0 << Width10 << 0 << Width10 << 0
      << " moves generated, tried, accepted \n";
    w << ' ' << Width10 << 0 << "              configurations saved\n";
    w << " \n";
    w << ' ' << Width10 << natoms << " molecules of all types\n";
    w << ' ' << Width10 << ntypes << " types of molecules \n";
    w << ' ' << Width10 << 1 << " is the largest number of atoms in a molecule \n";
    w << ' ' << Width10 << 0 << " Euler angles are provided \n";
    w << " \n";
    w << ' ' << Width10 << "F"
      << " (box is cubic)\t\n";
    w << "            Defining vectors are: \n";
    w.SetFixed(6);
    const double zero = 0;
    w << kIndent << Width10 << boxlength << ' ' << Width10 << zero << ' ' << Width10 << zero
      << '\n';
    w << kIndent << Width10 << zero << ' ' << Width10 << boxlength << ' ' << Width10 << zero
      << '\n';
    w << kIndent << Width10 << zero << ' ' << Width10 << zero << ' ' << Width10 << boxlength
      << '\n';
    w << '\n';
    const int blocks = std::min(ntypes, static_cast<int>(ni.size()));
    for (int t = 0; t < blocks; ++t) {
      w << ' ' << Width10 << ni[t] << " molecules of type  " << t + 1 << '\n';
      w << ' ' << Width10 << 1 << " atomic sites \n";
      w << kIndent << Width10 << zero << ' ' << Width10 << zero << ' ' << Width10 << zero << '\n';
      w << " \n";
    }
    w.SetFixed(15);
    const double* const end = coords.get() + 3 * static_cast<std::size_t>(atomcount_);
    for (const double* value = coords.get(); value < end; value += 3) {
      w << ' ' << Width10 << value[0] << "  " << Width10 << value[1] << "  " << Width10 << value[2]
        << '\n';
    }
  });
  // The precision hand-off: the stream keeps precision 15, and FNC::rawsave,
  // which writes the constraint file next through the same stream, writes its
  // distance windows with it.
  out.precision(15);
  CheckWriteOutcome("SimpleCfg::save", out, name);
}
