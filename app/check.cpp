// The check of a configuration against its constraints: the two files read,
// the constraints judged into a result, and the result reported (per kind the
// window, the pairs and where their distances lie; lists that are not
// symmetric; indices out of range; the first violations) with the outputs.
#include "app/check.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

#include "app/convert.hpp"
#include "app/plot.hpp"
#include "cfg/configuration.hpp"
#include "cfg/simple_cfg.hpp"
#include "fnc/fnc_file.hpp"
#include "io/file_stream.hpp"
#include "io/number_format.hpp"
#include "structure/typing.hpp"
#include "structure/xyz_file.hpp"

namespace {

constexpr int kViolationsShown = 10;

// Distance of atoms a and b (box units) in the file's length unit, under the
// minimum image in the cubic box.
double Distance(const double* a, const double* b, double box) {
  double sum = 0;
  for (int k = 0; k < 3; ++k) {
    double delta = a[k] - b[k];
    // Coordinates near the largest number: their images near 0 instead.
    if (!std::isfinite(delta))
      delta = (a[k] - std::nearbyint(a[k])) - (b[k] - std::nearbyint(b[k]));
    const double image = delta - std::nearbyint(delta);
    sum += image * image;
  }
  return std::sqrt(sum) * box;
}

// An entry found wrong, in the order found: listed without its reverse, or a
// pair outside its window (atoms and kind 0-based).
struct Finding {
  bool violation;
  int a, b, kind;
  double distance;
};

struct CheckResult {
  std::vector<KindDistances> kinds;
  std::vector<Finding> shown;  // the first few of each sort
  int asymmetric = 0, out_of_range = 0, repeated_rows = 0;
};

// Under the minimum image, a window beyond half the box cannot be judged.
bool Judged(const KindDistances& kind, double box) { return kind.window_max <= box / 2; }

int AtomCount(const TypedConfiguration& config) {
  return static_cast<int>(config.coords.size() / 3);
}

std::uint64_t Key(int neighbour, int kind) {
  return std::uint64_t{static_cast<std::uint32_t>(neighbour)} << 32 |
         static_cast<std::uint32_t>(kind);
}

// Each atom's row, and each row's entries ordered for the search of a reverse.
struct RowIndex {
  RowIndex(const ConstraintFile& fnc, int atoms, CheckResult& result)
      : row_of(static_cast<std::size_t>(atoms), -1), first(fnc.atom.size() + 1, 0) {
    for (std::size_t r = 0; r < fnc.atom.size(); ++r) {
      first[r + 1] = first[r] + static_cast<std::size_t>(fnc.count[r]);
      const int a = fnc.atom[r];
      if (a < 0 || a >= atoms) {
        ++result.out_of_range;
      } else if (row_of[a] >= 0) {
        ++result.repeated_rows;
      } else {
        row_of[a] = static_cast<int>(r);
      }
    }
    for (std::size_t e = 0; e < fnc.neighbour.size(); ++e)
      keys.push_back(Key(fnc.neighbour[e], fnc.kind[e]));
    for (std::size_t r = 0; r < fnc.atom.size(); ++r)
      std::sort(keys.begin() + first[r], keys.begin() + first[r + 1]);
  }

  // Whether the row of `atom` lists `neighbour` with `kind`.
  bool Lists(int atom, int neighbour, int kind) const {
    const int r = row_of[atom];
    return r >= 0 && std::binary_search(keys.begin() + first[r], keys.begin() + first[r + 1],
                                        Key(neighbour, kind));
  }

  std::vector<int> row_of;
  std::vector<std::size_t> first;
  std::vector<std::uint64_t> keys;
};

// Judges every constrained pair; with `keep`, keeps each distance for the plot.
CheckResult Judge(const TypedConfiguration& config, const ConstraintFile& fnc, bool keep) {
  const double box = config.box;
  const int atoms = AtomCount(config);
  const std::vector<int> type_of = TypesOf(config).of_atom;
  const auto kinds = static_cast<int>(fnc.rmin.size());
  CheckResult result;
  const RowIndex index(fnc, atoms, result);
  // The file holds coordinates to 15 decimals of the box length: distances
  // that close to a bound are taken as on it.
  for (int k = 0; k < kinds; ++k) {
    result.kinds.emplace_back(fnc.rmin[k], fnc.rmax[k], 1e-10 * (box + std::fabs(fnc.rmax[k])),
                              keep);
  }
  int violations = 0;
  for (std::size_t r = 0; r < fnc.atom.size(); ++r) {
    const int a = fnc.atom[r];
    for (std::size_t e = index.first[r]; e < index.first[r + 1]; ++e) {
      const int b = fnc.neighbour[e];
      const int k = fnc.kind[e];
      if (a < 0 || a >= atoms || b < 0 || b >= atoms || k < 0 || k >= kinds) {
        ++result.out_of_range;
        continue;
      }
      const bool reverse = index.Lists(b, a, k);
      if (!reverse && ++result.asymmetric <= kViolationsShown) {
        result.shown.push_back({false, a, b, k, 0});
      }
      // Each pair once: from its lower atom, or from its only side.
      if (a > b && reverse) continue;
      const double distance = Distance(config.coords.data() + 3 * std::size_t(a),
                                       config.coords.data() + 3 * std::size_t(b), box);
      KindDistances& kind = result.kinds[k];
      kind.AddTypes(type_of[a], type_of[b]);
      if (kind.Add(distance) && Judged(kind, box) && ++violations <= kViolationsShown) {
        result.shown.push_back({true, a, b, k, distance});
      }
    }
  }
  return result;
}

// A kind's line of the table.
void PrintKind(int k, const KindDistances& s) {
  std::string window = GeneralText(s.window_min) + " .. " + GeneralText(s.window_max);
  window.resize(std::max<std::size_t>(window.size(), 22), ' ');
  std::cout << std::setw(4) << k + 1 << "  " << window << ' ' << std::setw(9) << s.pairs;
  for (const double value : {s.smallest, static_cast<double>(s.sum / s.pairs), s.largest}) {
    std::cout << ' ' << std::setw(12) << GeneralText(s.pairs ? value : 0.0);
  }
  std::cout << ' ' << std::setw(8) << s.outside << '\n';
}

// The number of failed checks: a row count that differs from the atom count,
// each kind with pairs outside its window or that cannot be judged, and each
// sort of broken list.
int Failures(const CheckResult& found, int rows, const TypedConfiguration& config) {
  int failures = rows != AtomCount(config);
  for (const KindDistances& kind : found.kinds) {
    failures += !Judged(kind, config.box) || kind.outside > 0;
  }
  for (const int count : {found.asymmetric, found.out_of_range, found.repeated_rows}) {
    failures += count > 0;
  }
  return failures;
}

// The table, with the first violations before it.
void PrintTable(const CheckRequest& request, const TypedConfiguration& config,
                const ConstraintFile& fnc, const CheckResult& found) {
  const double box = config.box;
  const int atoms = AtomCount(config);
  const auto rows = static_cast<int>(fnc.atom.size());
  const auto kinds = static_cast<int>(fnc.rmin.size());
  std::cout << request.cfg << ": " << atoms << " atoms in a box of " << GeneralText(box) << '\n'
            << request.fnc << ": " << rows << " atoms, " << kinds
            << (kinds == 1 ? " kind, " : " kinds, ") << fnc.kind.size() << " constraint entries\n";
  if (rows != atoms) {
    std::cout << "the constraint file has " << rows << " rows, the configuration " << atoms
              << " atoms\n";
  }
  for (const Finding& f : found.shown) {
    if (f.violation) {
      std::cout << "violation: atoms " << f.a + 1 << " and " << f.b + 1 << " (kind " << f.kind + 1
                << ") are " << GeneralText(f.distance) << " apart, outside "
                << GeneralText(fnc.rmin[f.kind]) << " .. " << GeneralText(fnc.rmax[f.kind]) << '\n';
    } else {
      std::cout << "atom " << f.a + 1 << " lists atom " << f.b + 1 << " with kind " << f.kind + 1
                << ", but atom " << f.b + 1 << " does not list atom " << f.a + 1 << '\n';
    }
  }
  std::cout
      << "kind  window                     pairs     smallest         mean      largest  outside\n";
  for (int k = 0; k < kinds; ++k) {
    PrintKind(k, found.kinds[k]);
    if (!Judged(found.kinds[k], box)) {
      std::cout << "      cannot be judged: the window reaches beyond half the box ("
                << GeneralText(box / 2)
                << "), where the nearest image of a pair need not be the constrained one\n";
    }
  }
  for (const auto& [count, what] :
       {std::pair{found.asymmetric, "entries without their reverse"},
        std::pair{found.out_of_range, "indices out of range"},
        std::pair{found.repeated_rows, "atoms with more than one row"}}) {
    if (count > 0) std::cout << what << ": " << count << '\n';
  }
  std::cout << (Failures(found, rows, config) == 0 ? "every constraint holds\n"
                                                   : "the check fails\n");
}

// A number as JSON has it: the shortest text that reads back the same, and
// null for one that does not exist (no pairs) or is not finite.
std::string JsonNumber(double value, bool exists = true) {
  if (!exists || !std::isfinite(value)) return "null";
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + '"';
}

// The summary as one JSON object, for scripts.
void PrintJson(const CheckRequest& request, const TypedConfiguration& config,
               const ConstraintFile& fnc, const CheckResult& found) {
  const auto rows = static_cast<int>(fnc.atom.size());
  std::cout << "{\n  \"configuration\": " << JsonString(request.cfg)
            << ", \"atoms\": " << AtomCount(config) << ", \"box\": " << JsonNumber(config.box)
            << ",\n  \"constraints\": " << JsonString(request.fnc) << ", \"rows\": " << rows
            << ", \"entries\": " << fnc.kind.size() << ",\n  \"kinds\": [";
  for (std::size_t k = 0; k < found.kinds.size(); ++k) {
    const KindDistances& s = found.kinds[k];
    const bool any = s.pairs > 0;
    std::cout << (k ? "," : "") << "\n    {\"kind\": " << k + 1
              << ", \"lower\": " << JsonNumber(s.window_min)
              << ", \"upper\": " << JsonNumber(s.window_max) << ", \"pairs\": " << s.pairs
              << ", \"smallest\": " << JsonNumber(s.smallest, any)
              << ", \"mean\": " << JsonNumber(static_cast<double>(s.sum / s.pairs), any)
              << ", \"largest\": " << JsonNumber(s.largest, any) << ", \"outside\": " << s.outside
              << ", \"judged\": " << (Judged(s, config.box) ? "true" : "false") << '}';
  }
  std::cout << (found.kinds.empty() ? "" : "\n  ")
            << "],\n  \"one_sided_entries\": " << found.asymmetric
            << ", \"indices_out_of_range\": " << found.out_of_range
            << ", \"repeated_rows\": " << found.repeated_rows
            << ",\n  \"holds\": " << (Failures(found, rows, config) == 0 ? "true" : "false")
            << "\n}\n";
}

// What the plot knows of the configuration just read.
PlotContext PlotContextOf(const TypedConfiguration& config) {
  std::string title = config.title;
  title.erase(title.find_last_not_of(" \t\r") + 1);
  title.erase(0, title.find_first_not_of(" \t"));
  return {config.names, title == kGrownTitle, config.box};
}

}  // namespace

int RunCheck(const CheckRequest& request, Report& report) {
  TypedConfiguration config = ReadConfiguration(request.cfg, report);
  if (request.names) config.names = NamesForTypes(*request.names, config.counts.size());
  std::ifstream in;
  OpenOn(in, request.fnc, std::ios::in, report);
  const ConstraintFile fnc = ReadConstraintFile(in, request.fnc);
  const CheckResult result = Judge(config, fnc, !request.plot.empty());
  (request.json ? PrintJson : PrintTable)(request, config, fnc, result);
  const int failures = Failures(result, static_cast<int>(fnc.atom.size()), config);
  RunOutputs outputs({request.cfg, request.fnc});
  std::ofstream out;
  if (!request.xyz.empty()) {
    outputs.Open(out, request.xyz, report);
    WriteExtendedXyz(out, ToStructure(config), TypesOf(config).of_atom);
    CheckWriteOutcome("", out, request.xyz);
    outputs.Close(out, "");
  }
  if (!request.plot.empty()) {
    outputs.Open(out, request.plot, report);
    WritePlot(out, result.kinds, PlotContextOf(config), request.plot);
    outputs.Close(out, "");
  }
  outputs.Place();
  return failures == 0 ? 0 : 1;
}
