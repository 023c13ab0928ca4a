// Words of a line: trimmed, split, read whole as numbers (std::from_chars), quoted.
#include "io/words.hpp"

#include <charconv>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

template <class Number>
bool ParseWhole(std::string_view text, Number& value) {
  text = Trim(text);
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return !text.empty() && error == std::errc() && stop == end;
}

}  // namespace

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

void Words(std::string_view text, std::vector<std::string_view>& words) {
  words.clear();
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size()) return;
    const std::size_t begin = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    words.push_back(text.substr(begin, i - begin));
  }
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  Words(text, words);
  return words;
}

std::string Quoted(std::string_view text, std::size_t limit) {
  return '"' + std::string(text.substr(0, limit)) + '"';
}

bool ParseReal(std::string_view text, double& value) { return ParseWhole(text, value); }

bool ParseInt(std::string_view text, int& value) { return ParseWhole(text, value); }
