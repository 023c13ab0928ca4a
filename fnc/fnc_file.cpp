// The ".fnc" constraint file: the writer and the reader that checks read it
// back, the only places that know its layout.
#include "fnc/fnc_file.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "fnc/fnc.hpp"
#include "io/error.hpp"
#include "io/file_stream.hpp"
#include "io/number_format.hpp"
#include "io/text_reader.hpp"
#include "io/text_writer.hpp"

void FNC::rawsave(std::ostream& out, const std::string& name) const {
  if (out.fail()) {
    throw LocatedError::Text(name, 0, "not open")
        .Lines({"There is no open file to save the FNC object "}, true);
  }
  WithMemoryGuard("FNC::rawsave", name, [&] {
    TextWriter w(out);
    // The precision hand-off: the windows take the stream's own precision, 6
    // on a fresh stream, 15 after SimpleCfg::save has written the
    // configuration through it and left that precision on it.
    w.SetGeneral(static_cast<int>(out.precision()));
    w << "This is a .fnc file created by FNC::rawsave \n\n";
    w << " No. of possible rmin-rmax pairs: \n";
    w << Width7 << nconstraints << '\n';
    const int kinds =
        std::clamp(nconstraints, 0, static_cast<int>(std::min(rmin.size(), rmax.size())));
    for (int k = 0; k < kinds; ++k) w << Width7 << rmin[k];
    w << '\n';
    for (int k = 0; k < kinds; ++k) w << Width7 << rmax[k];
    w << "\n \n";
    w << Width7 << natoms << "\n \n";
    // Each row's entries follow those of the row before.
    const std::size_t entries = std::min(neighbours.size(), constrainttype.size());
    const auto rows = std::max(0, std::min({natoms, static_cast<int>(ncoord.size()),
                                            static_cast<int>(centralindex.size())}));
    std::size_t p = 0;
    for (int i = 0; i < rows; ++i) {
      const std::size_t end =
          std::min(p + static_cast<std::size_t>(std::max(ncoord[i], 0)), entries);
      w << Width10 << centralindex[i] + 1 << Width10 << ncoord[i] << '\n';
      for (std::size_t e = p; e < end; ++e) w << Width10 << neighbours[e] + 1;
      w << '\n';
      for (std::size_t e = p; e < end; ++e) w << Width4 << constrainttype[e] + 1;
      w << '\n';
      p = end;
    }
  });
  CheckWriteOutcome("FNC::rawsave", out, name);
}

namespace {

// The lines of a file, numbered for messages, read as far as they are asked
// for: a file that never ends, or a line that never does, stops at the first
// line that is not what the layout puts there, or at the longest line taken.
class Lines {
 public:
  Lines(std::istream& in, std::string name) : in_(in), name_(std::move(name)) {}

  std::string_view Next(const char* what, int row = 0) {
    std::size_t end = text_.find('\n', next_);
    for (std::size_t searched = next_; end == std::string::npos && More(searched);) {
      if (text_.size() - next_ > kLongestText) {
        Fail(what, row, "a line of more than " + std::to_string(kLongestText) + " characters");
      }
      end = text_.find('\n', searched);
    }
    if (next_ >= text_.size()) Fail(what, row, "the end of the file");
    end = std::min(end, text_.size());
    last_ = std::string_view(text_.data() + next_, end - next_);
    next_ = end + 1;
    ++number_;
    return last_;
  }

  // Appends the `count` numbers of the next line to `out`: parted by blanks,
  // or, on the lines of row `row`, each in a field `width` columns wide, or,
  // where a value was wider than its field and ran into the one before,
  // parted by blanks.
  template <class Number>
  void Numbers(std::size_t count, const char* what, std::vector<Number>& out, std::size_t width = 0,
               int row = 0) {
    const std::string_view line = Next(what, row);
    // Fixed fields when the line is exactly as long as they are. (In free
    // format, width 0, only an empty line is, and it reads alike either way.)
    const bool fixed = line.size() == count * width;
    std::size_t p = 0;
    for (std::size_t i = 0; i < count; ++i) {
      if (!fixed) p = std::min(line.find_first_not_of(' ', p), line.size());
      const std::size_t end = fixed ? p + width : std::min(line.find(' ', p), line.size());
      p = std::min(line.find_first_not_of(' ', p), end);
      Number value{};
      const auto [stop, error] = std::from_chars(line.data() + p, line.data() + end, value);
      // An empty field is an error of from_chars too; "inf" and "nan" are no
      // numbers here, as in every other file the program reads.
      if (error != std::errc() || stop != line.data() + end || !std::isfinite(double(value))) {
        Wrong(what, row, line);
      }
      out.push_back(value);
      p = end;
    }
    if (line.find_first_not_of(' ', p) != std::string_view::npos) Wrong(what, row, line);
  }

  template <class Number>
  Number One(const char* what) {
    std::vector<Number> value;
    Numbers(1, what, value);
    if (value[0] < 0) Wrong(what, 0, std::to_string(value[0]));
    return value[0];
  }

  // Refuses the line just read, of row `row`, as not holding `what`.
  [[noreturn]] void Refuse(const char* what, int row) { Wrong(what, row, last_); }

 private:
  [[noreturn]] void Fail(const char* what, int row, const std::string& found) const {
    throw LocatedError(name_, number_ + 1,
                       what + (row > 0 ? " of row " + std::to_string(row) : std::string()), found);
  }
  [[noreturn]] void Wrong(const char* what, int row, std::string_view line) {
    --number_;
    Fail(what, row, "\"" + std::string(line.substr(0, 60)) + "\"");
  }

  // Appends the next block of the file to the unread text, noting in
  // `searched` where a search for the line's end goes on; false at the end.
  bool More(std::size_t& searched) {
    text_.erase(0, next_);
    searched = text_.size();
    next_ = 0;
    char block[1 << 16];
    const std::streamsize got = in_.rdbuf()->sgetn(block, sizeof block);
    if (got <= 0) return false;
    text_.append(block, static_cast<std::size_t>(got));
    return true;
  }

  std::istream& in_;
  std::string name_;
  std::string text_;  // the file from the line read last on
  std::size_t next_ = 0;
  std::string_view last_;  // the line read last
  int number_ = 0;
};

}  // namespace

ConstraintFile ReadConstraintFile(std::istream& in, const std::string& name) {
  Lines lines(in, name);
  ConstraintFile file;
  for (int i = 0; i < 3; ++i) lines.Next("the heading of a constraint file");
  const auto kinds = static_cast<std::size_t>(lines.One<int>("the number of kinds"));
  lines.Numbers(kinds, "the lower bound of each kind", file.rmin);
  lines.Numbers(kinds, "the upper bound of each kind", file.rmax);
  lines.Next("a blank line");
  const int atoms = lines.One<int>("the number of atoms");
  lines.Next("a blank line");
  std::vector<int> head;
  for (int row = 1; row <= atoms; ++row) {
    head.clear();
    lines.Numbers(2, "the atom and the number of its neighbours", head, 10, row);
    if (head[1] < 0) lines.Refuse("the atom and the number (0 or more) of its neighbours", row);
    file.atom.push_back(head[0]);
    file.count.push_back(head[1]);
    lines.Numbers(static_cast<std::size_t>(head[1]), "the neighbours", file.neighbour, 10, row);
    lines.Numbers(static_cast<std::size_t>(head[1]), "the kinds", file.kind, 4, row);
  }
  // Stored 0-based, as the program holds them.
  for (int& atom : file.atom) --atom;
  for (int& neighbour : file.neighbour) --neighbour;
  for (int& kind : file.kind) --kind;
  return file;
}

double WindowBound(double value, bool lower) {
  if (value == 0 || (lower && value < 0)) return 0;
  const auto parsed = [](const std::string& text) {
    double number{};
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
  };
  // The most significant digits whose text fits, moved one unit outwards
  // where the nearest text narrows the window by more than rounding's noise
  // (0.1 + 0.01 is a bit above 0.11); one digit always fits ("0.0002",
  // "3e-05", "2e+06").
  const double noise = 1e-12 * std::abs(value);
  for (int digits = 6;; --digits) {
    const double unit = std::pow(10.0, std::floor(std::log10(std::abs(value))) - digits + 1);
    std::string text = GeneralText(value, digits);
    if (lower ? parsed(text) > value + noise : parsed(text) < value - noise) {
      text = GeneralText(parsed(text) + (lower ? -unit : unit), digits);
    }
    if (text.size() <= 6 || digits == 1) return parsed(text);
  }
}
