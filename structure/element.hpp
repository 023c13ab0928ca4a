// Chemical elements as structure files give them: a symbol in its own column,
// or only an atom name to tell it from. The element table is gemmi's.
#pragma once

#include <string>
#include <string_view>

// The symbol as the table writes it ("O", "Cl", "D") where `text` is one in any
// case, else empty.
std::string ElementSymbol(std::string_view text);

// The element of an atom named `name` in the residue `residue`, where a file
// has no column for it: past leading digits, a two-letter symbol written so
// ("Cl") or the name of an ion alone in its residue ("NA" in "NA"), else the
// first letter ("OW", "HW1", "CA" of a protein), else the first two ("ZN").
// Empty where none of these is an element ("MW").
std::string ElementOfName(std::string_view name, std::string_view residue);
