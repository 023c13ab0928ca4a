// Structure files read whole: one allocation, lines as views into it.
#include "structure/line_reader.hpp"

#include <iterator>
#include <utility>

#include "io/error.hpp"
#include "io/number_format.hpp"
#include "io/words.hpp"

LineReader::LineReader(std::istream& in, std::string file) : file_(std::move(file)) {
  // One read of a known size where the stream can tell it, else a copy of what it gives.
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size > 0 && in) {
    text_.resize(static_cast<std::size_t>(size));
    in.read(text_.data(), size);
    text_.resize(static_cast<std::size_t>(in.gcount()));
  } else {
    in.clear();
    text_.assign(std::istreambuf_iterator<char>(in), {});
  }
  if (in.bad()) throw LocatedError::Text(file_, 0, "cannot be read");
}

bool LineReader::Next(std::string_view& line) {
  if (next_ >= text_.size()) return false;
  std::size_t end = text_.find('\n', next_);
  const std::size_t after = end == std::string::npos ? text_.size() : end + 1;
  if (end == std::string::npos) end = text_.size();
  if (end > next_ && text_[end - 1] == '\r') --end;
  line = std::string_view(text_).substr(next_, end - next_);
  next_ = after;
  ++number_;
  return true;
}

std::string_view LineReader::Expect(std::string_view what) {
  std::string_view line;
  if (!Next(line)) {
    ++number_;
    Fail(what, "the end of the file");
  }
  return line;
}

void LineReader::Fail(std::string_view expected, std::string_view found) const {
  throw LocatedError(file_, number_, std::string(expected), std::string(found));
}

std::string_view Columns(std::string_view line, std::size_t start, std::size_t width) {
  return start < line.size() ? line.substr(start, width) : std::string_view();
}

void CheckNameFits(const std::string& file, std::size_t index, std::string_view text,
                   std::size_t width, std::string_view what) {
  if (text.size() <= width) return;
  throw LocatedError(file, 0,
                     std::string(what) + " of at most " + std::to_string(width) +
                         (width == 1 ? " character" : " characters") + " for atom " +
                         std::to_string(index + 1),
                     Quoted(text));
}

void CheckCoordinateFits(const std::string& file, std::size_t index, double x,
                         std::string_view unit) {
  if (x > -999.9995 && x < 9999.9995) return;
  throw LocatedError(file, 0,
                     "coordinates from -999.999 to 9999.999 " + std::string(unit) + " for atom " +
                         std::to_string(index + 1),
                     GeneralText(x));
}
