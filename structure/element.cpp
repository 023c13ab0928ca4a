// Element symbols through gemmi's table.
#include "structure/element.hpp"

#include <cctype>
#include <gemmi/elem.hpp>

#include "io/words.hpp"

namespace {

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

std::string ElementSymbol(std::string_view text) {
  if (text.empty() || text.size() > 2 || !IsLetter(text[0]) ||
      (text.size() == 2 && !IsLetter(text[1])))
    return {};
  const char symbol[3] = {text[0], text.size() == 2 ? text[1] : '\0', '\0'};
  const gemmi::Element element(symbol);
  if (element == gemmi::El::X) return {};
  return element.name();
}

std::string ElementOfName(std::string_view name, std::string_view residue) {
  name = Trim(name);
  std::string_view letters = name;
  while (!letters.empty() && std::isdigit(static_cast<unsigned char>(letters[0])))
    letters.remove_prefix(1);
  if (letters.empty() || !IsLetter(letters[0])) return {};
  const std::string two =
      letters.size() > 1 && IsLetter(letters[1]) ? ElementSymbol(letters.substr(0, 2)) : "";
  const bool lower_second =
      letters.size() > 1 && std::islower(static_cast<unsigned char>(letters[1]));
  if (!two.empty() && (lower_second || SameIgnoringCase(name, Trim(residue)))) return two;
  const std::string one = ElementSymbol(letters.substr(0, 1));
  return one.empty() ? two : one;
}
