// Models written from the definitions, independently of the program: the
// uniform random generator, and the text layouts of the files (by printf).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace models {

// The generator with 64-bit arithmetic: s -> 16807 s mod (2^31 - 1); a seed
// <= 0 restarts with max(1, -seed), 8 warm-up steps and a 32-slot table
// filled from the back; the slot is the last output divided by 2^26; the
// output is scaled by 1 / (2^31 - 1) and clamped below 1.
class Uniform {
 public:
  double Next(std::int32_t& seed) {
    std::int64_t s = seed;
    if (s <= 0 || last_ == 0) {
      s = -s < 1 ? 1 : -s % 2147483647;
      if (s == 0) s = 1;
      for (int result = 1; result <= 40; ++result) {
        s = 16807 * s % 2147483647;
        if (result >= 9) table_[40 - result] = s;  // result 9 in slot 31, 40 in slot 0
      }
      last_ = table_[0];
    }
    s = 16807 * s % 2147483647;
    const std::int64_t slot = last_ / 67108864;
    last_ = table_[slot];
    table_[slot] = s;
    seed = static_cast<std::int32_t>(s);
    const double u = static_cast<double>(last_) * (1.0 / 2147483647.0);
    return u > 0.99999988 ? 0.99999988 : u;
  }

 private:
  std::int64_t table_[32] = {};
  std::int64_t last_ = 0;
};

inline std::string Format(const char* format, auto... values) {
  char text[512];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

// A version 3 configuration file: header, type blocks, coordinates.
inline std::string CfgText(const std::string& title, const std::vector<int>& ni, double box,
                           const std::vector<double>& coords) {
  int atoms = 0;
  for (const int n : ni) atoms += n;
  std::string text = " (Version 3 format configuration file) !file created by SimpleCfg::save !\n" +
                     title + "\n\n\n" + Format(" %10d%10d%10d moves generated, tried, accepted \n", 0, 0, 0) +
                     Format(" %10d              configurations saved\n \n", 0) +
                     Format(" %10d molecules of all types\n", atoms) +
                     Format(" %10d types of molecules \n", static_cast<int>(ni.size())) +
                     Format(" %10d is the largest number of atoms in a molecule \n", 1) +
                     Format(" %10d Euler angles are provided \n \n", 0) +
                     " %9sF (box is cubic)\t\n            Defining vectors are: \n";
  text.replace(text.find("%9s"), 3, std::string(9, ' '));
  for (int row = 0; row < 3; ++row) {
    text += Format("            %10.6f %10.6f %10.6f\n", row == 0 ? box : 0.0, row == 1 ? box : 0.0,
                   row == 2 ? box : 0.0);
  }
  text += "\n";
  for (std::size_t t = 0; t < ni.size(); ++t) {
    text += Format(" %10d molecules of type  %d\n", ni[t], static_cast<int>(t + 1)) +
            Format(" %10d atomic sites \n            %10.6f %10.6f %10.6f\n \n", 1, 0.0, 0.0, 0.0);
  }
  for (std::size_t i = 0; i + 2 < coords.size(); i += 3) {
    text += Format(" %10.15f  %10.15f  %10.15f\n", coords[i], coords[i + 1], coords[i + 2]);
  }
  return text;
}

// One row of a constraint file: an atom (1-based) and its neighbours with kinds.
struct Row {
  int atom;
  std::vector<std::pair<int, int>> neighbours;
};

inline std::string FncText(const std::vector<double>& rmin, const std::vector<double>& rmax,
                           int precision, const std::vector<Row>& rows) {
  std::string text = "This is a .fnc file created by FNC::rawsave \n\n No. of possible rmin-rmax pairs: \n" +
                     Format("%7d\n", static_cast<int>(rmin.size()));
  for (const double r : rmin) text += Format("%7.*g", precision, r);
  text += "\n";
  for (const double r : rmax) text += Format("%7.*g", precision, r);
  text += "\n \n" + Format("%7d\n \n", static_cast<int>(rows.size()));
  for (const Row& row : rows) {
    text += Format("%10d%10d\n", row.atom, static_cast<int>(row.neighbours.size()));
    for (const auto& [atom, kind] : row.neighbours) text += Format("%10d", atom);
    text += "\n";
    for (const auto& [atom, kind] : row.neighbours) text += Format("%4d", kind);
    text += "\n";
  }
  return text;
}

struct Run {
  std::string out, err;
  int status = -1;
};

// Runs the program in `dir` with these arguments and this standard input,
// the clock frozen at `clock` (a UTC time) when one is given.
inline Run RunProgram(const std::filesystem::path& dir, const std::string& args,
                      const std::string& input, const std::string& clock = "") {
  std::ofstream(dir / ".stdin", std::ios::binary) << input;
  std::string command = "cd '" + dir.string() + "' && ";
  if (!clock.empty()) {
    command += "TZ=UTC FAKETIME='" + clock +
               "' LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 ";
  }
  command += std::string(FNCPREP_BINARY) + " " + args + " <.stdin >.stdout 2>.stderr";
  Run run;
  const int status = std::system(command.c_str());
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const auto read = [&](const char* name) {
    std::ifstream in(dir / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  run.out = read(".stdout");
  run.err = read(".stderr");
  return run;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace models
