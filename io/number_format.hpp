// Number texts exactly as the standard streams write them, right-aligned in
// a field of `width` columns (blank-filled; a longer text in full): fixed
// notation with a number of decimals ("%.*f"), general notation with a
// precision ("%.*g", the exponent with at least two digits), and integers.
#pragma once

#include <cstdint>
#include <string>

// Room these functions may use at `out` beyond the field width: the longest
// fixed-notation double with 15 decimals, and a little scratch.
inline constexpr int kNumberRoom = 400;

char* FormatFixed(char* out, double value, int decimals, int width = 0);
char* FormatGeneral(char* out, double value, int precision, int width = 0);
char* FormatInteger(char* out, std::int64_t value, int width = 0);

// General notation as a string, for messages and labels ("%g" by default).
std::string GeneralText(double value, int precision = 6);
