// The words of a line of text, as the readers of structures, topologies and
// titles take them: blanks (spaces, tabs) trimmed or split at, a word read
// whole as a number, a word quoted for a message.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// `text` without the blanks around it.
std::string_view Trim(std::string_view text);
// The words of `text` between its blanks, into `words` (its room reused).
void Words(std::string_view text, std::vector<std::string_view>& words);
std::vector<std::string_view> Words(std::string_view text);
// `text` in double quotes for a message, cut after `limit` characters.
std::string Quoted(std::string_view text, std::size_t limit = 60);

// The whole of `text` (blanks around it allowed) as a number: a decimal real,
// "inf" and "nan" included, so that the caller can name them; an integer.
bool ParseReal(std::string_view text, double& value);
bool ParseInt(std::string_view text, int& value);
