// The file formats as the tests see them, written independently of the
// program: a strict reader of .fnc files and a writer of version 3
// configuration files from the format's line table.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/text.hpp"

namespace testing_support {

// Non-negative integers right-aligned in fields of `width` columns; nullopt
// unless the line is made of such fields only (an empty line has none).
inline std::optional<std::vector<long>> FixedFields(const std::string& line, std::size_t width) {
  if (line.size() % width != 0) return std::nullopt;
  std::vector<long> values;
  for (std::size_t at = 0; at < line.size(); at += width) {
    std::size_t i = at;
    while (i < at + width && line[i] == ' ') ++i;
    if (i == at + width) return std::nullopt;
    long value = 0;
    for (; i < at + width; ++i) {
      if (line[i] < '0' || line[i] > '9') return std::nullopt;
      value = value * 10 + (line[i] - '0');
    }
    values.push_back(value);
  }
  return values;
}

struct FncRow {
  long atom = 0;                               // 1-based
  std::vector<std::pair<long, long>> entries;  // (neighbour, kind), 1-based, in file order
};

struct FncFile {
  std::vector<std::string> header;  // the nine lines before the rows
  std::vector<FncRow> rows;
};

// Reads a .fnc file, checking its fixed lines, its line count and every
// field width on the way; on failure says why in `error`.
inline std::optional<FncFile> ParseFnc(const std::string& text, std::string& error) {
  const std::vector<std::string> lines = SplitLines(text);
  const auto fail = [&error](const std::string& why) {
    error = why;
    return std::nullopt;
  };
  if (text.empty() || text.back() != '\n') return fail("the file does not end with a line end");
  if (lines.size() < 9 || lines[0] != "This is a .fnc file created by FNC::rawsave " ||
      !lines[1].empty() || lines[2] != " No. of possible rmin-rmax pairs: " || lines[6] != " " ||
      lines[8] != " ") {
    return fail("the fixed header lines differ");
  }
  const auto kinds = FixedFields(lines[3], 7);
  const auto rows = FixedFields(lines[7], 7);
  if (!kinds || kinds->size() != 1 || !rows || rows->size() != 1) {
    return fail("the kind count or the row count is not one field of 7 columns");
  }
  if (lines.size() != 9 + 3 * static_cast<std::size_t>(rows->front())) {
    return fail("the number of lines does not match " + std::to_string(rows->front()) + " rows");
  }
  FncFile file;
  file.header.assign(lines.begin(), lines.begin() + 9);
  for (std::size_t at = 9; at < lines.size(); at += 3) {
    const auto head = FixedFields(lines[at], 10);
    const auto neighbours = FixedFields(lines[at + 1], 10);
    const auto row_kinds = FixedFields(lines[at + 2], 4);
    if (!head || head->size() != 2 || !neighbours || !row_kinds ||
        neighbours->size() != static_cast<std::size_t>((*head)[1]) ||
        row_kinds->size() != neighbours->size()) {
      return fail("the row at line " + std::to_string(at + 1) + " is malformed");
    }
    FncRow row{(*head)[0], {}};
    for (std::size_t e = 0; e < neighbours->size(); ++e) {
      row.entries.emplace_back((*neighbours)[e], (*row_kinds)[e]);
    }
    file.rows.push_back(std::move(row));
  }
  return file;
}

// The header of a version 3 configuration file with one-atom molecules,
// line by line as the format's table gives it.
inline std::string V3Header(const std::string& title, long natoms, const std::vector<int>& ni,
                            double box) {
  const auto w10 = [](long v) { return Printf("%10ld", v); };
  // The line of the box vector along `axis`; axis 3 gives the zero vector.
  const auto box_line = [box](int axis) {
    return Printf("            %10.6f %10.6f %10.6f\n", axis == 0 ? box : 0.0,
                  axis == 1 ? box : 0.0, axis == 2 ? box : 0.0);
  };
  std::string text =
      " (Version 3 format configuration file) !file created by SimpleCfg::save !\n" + title +
      "\n\n\n " + w10(0) + w10(0) + w10(0) + " moves generated, tried, accepted \n " + w10(0) +
      "              configurations saved\n \n " + w10(natoms) + " molecules of all types\n " +
      w10(static_cast<long>(ni.size())) + " types of molecules \n " + w10(1) +
      " is the largest number of atoms in a molecule \n " + w10(0) +
      " Euler angles are provided \n \n          F (box is cubic)\t\n"
      "            Defining vectors are: \n" +
      box_line(0) + box_line(1) + box_line(2) + "\n";
  for (std::size_t t = 0; t < ni.size(); ++t) {
    text.append(" ").append(w10(ni[t])).append(" molecules of type  ");
    text.append(std::to_string(t + 1)).append("\n ").append(w10(1)).append(" atomic sites \n");
    text.append(box_line(3)).append(" \n");
  }
  return text;
}

// One atom's line: each coordinate with fifteen decimals, two blanks between.
inline std::string CoordinateLine(const double* p) {
  return Printf(" %.15f  %.15f  %.15f\n", p[0], p[1], p[2]);
}

}  // namespace testing_support
