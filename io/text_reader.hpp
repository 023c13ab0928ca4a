// Reading values from parameter and configuration files with the outcomes of
// the standard stream's formatted extraction (operator>>): leading white space
// skipped, an optional sign ('+' too), "5." and ".5" are numbers, "1e" and a
// lone sign are not, no "inf" or "nan", out-of-range values fail, running into
// the end of the input sets end-of-file. On failure the target is unchanged.
#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Report;

// The longest value or line taken: longer ones, which no file of the
// program's holds (a file that never ends, say), are refused rather than
// held until memory runs out.
constexpr std::size_t kLongestText = std::size_t{1} << 27;

// The name of a value given for each type, as messages show it: `what`
// followed by the type counted from 1 ("the inner radius of type 2").
std::string OfType(std::string_view what, int type);
// The values of a record, as messages name them: "the inner radius" for one,
// "the 2 inner radii" for two.
std::string TheValues(int count, std::string_view one, std::string_view many);

// Reads a whole file through a block of its own. Whatever it has taken into
// its block is gone from the stream, so a reader uses one scanner from the
// start of its file to where it stops reading. The scanner knows the file's
// name and its lines, and keeps the first failure: where, what was expected
// and what was found.
class TextScanner {
 public:
  TextScanner(std::istream& in, std::string name);

  // `what` names the value expected, for the message if it cannot be read.
  bool ReadInt(int& value, std::string_view what);
  bool ReadReal(double& value, std::string_view what);
  // A count: a value below 0 is refused as a wrong file format, so that no
  // array is sized or indexed from it.
  bool ReadCount(int& value, std::string_view what);
  // Reads `count` reals as that many calls of ReadReal would, stopping at the
  // first that fails, which `what(i)` names (value i); returns how many were
  // read. Only a scanner without a failure names its failure so. A value
  // whose product with `scale` is not finite is refused.
  std::size_t ReadReals(double* values, std::size_t count,
                        const std::function<std::string(std::size_t)>& what, double scale);
  // Discards the rest of the line, its line feed included; with `text`,
  // appends the line's characters there (without the line feed).
  void SkipLine(std::string* text = nullptr);
  // The rest of the line as text, without its line end; fails as SkipLine.
  void ReadLine(std::string& text);
  void SkipLines(int count);
  // Marks the stream failed because the value just read is refused (fail
  // set, end-of-file cleared, so the warning block reports a wrong format):
  // "expected WHAT, found VALUE" (or FOUND) at that value's line. Only a
  // value read without a failure is refused.
  void Reject(std::string_view what, std::string_view found = {});
  // Whether, past the current line, the file holds another value.
  bool MoreValues();
  // Looks at the rest of the line after a record's last value, reading
  // nothing: where that value's word goes on in characters of a number
  // ("6.5" read as a count, "4x") or another value follows before a comment
  // (a number split by a blank), hands `report` the error (Refused), which
  // the command line stops with and the dialogue reads on past. `record`
  // names the values read ("the 4 atoms of pair 1").
  void EndRecord(Report& report, std::string_view record);

  const std::istream& stream() const { return in_; }
  const std::string& name() const { return name_; }
  // The line of the last value read.
  int line() const { return token_line_; }
  // Ends a reading: if the stream has failed, throws its first failure, with
  // the warning block of the reader whose name line is `name`.
  void Check(std::string_view name) const;

 private:
  // The extent of the value that starts at the next character: the
  // characters the stream's extraction would take, all in the block.
  template <class Scan>
  auto TakeToken(Scan scan, std::string_view what);
  // Skips white space up to the next character, whose line becomes the
  // value's; false at the end.
  bool SkipSpace();
  // Skips white space; false (end-of-file and fail set) at the end.
  bool StartValue(std::string_view what);
  // Moves the unread text to the start of the block and reads more behind
  // it; false when nothing more could be read.
  bool Refill();
  bool Fail(std::ios::iostate state);
  // Notes a value just read into the word it stands in.
  void Took(std::string_view what);
  // The character `k` after the next, read on as far as needed; a line feed
  // at the end of the input.
  char Peek(std::size_t k);
  // Keeps the failure, the first since every read after it fails before it
  // gets here: what was expected, and what stands at `at`. A failure in the
  // word of the values before it is the failure of the word's first value.
  void Failed(std::string_view what, std::size_t at);
  // The text from the character `k` after the next to a blank, up to
  // `room` characters.
  std::string WordAt(std::size_t k, std::size_t room);

  std::istream& in_;
  std::string name_;
  std::vector<char> block_;
  std::size_t next_ = 0;
  std::size_t end_ = 0;
  bool drained_ = false;
  int line_ = 1;
  int token_line_ = 1;
  std::size_t token_length_ = 0;
  // The word of the last value read while no blank follows it ("1." of
  // "1.O"): its text so far, the name and line of its first value, and its
  // values. The next value read continues it; a blank or a line skip ends it.
  struct Word {
    bool open = false;
    std::string text, what;
    int line = 0;
    std::size_t values = 0;
  } word_;
  // The first word of the current record that held more than one value
  // ("1.2.3" read as 1.2 and .3), once it ended.
  std::optional<Word> split_;
  // Of the first failure: how many values of its word were read before it.
  std::size_t failed_back_ = 0;
  // While ReadReals reads: the names of its values, and the value it reads.
  const std::function<std::string(std::size_t)>* reals_what_ = nullptr;
  std::size_t reals_index_ = 0;
  // The first failure: where, what was expected and what was found.
  int problem_line_ = 0;
  std::string expected_;
  std::string found_;
};
