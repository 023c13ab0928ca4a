// The minimum distances of the placement: the option's text, the classes of
// types, and the packing bound behind the refusals.
#include "shell/min_distance.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

std::optional<double> PositiveDistance(std::string_view text) {
  double value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !(value > 0) ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

namespace {

// A type number (1 or more) filling the whole text.
std::optional<int> Type(std::string_view text) {
  int value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

// One item "A-B=D" or "*=D" into `distances`; false, with the reason, if it
// is malformed or repeats a pair.
bool ReadItem(std::string_view item, MinDistances& distances, bool& others, std::string& problem) {
  const std::size_t equals = item.find('=');
  const std::string_view key = item.substr(0, equals);
  const auto distance = PositiveDistance(equals == item.npos ? "" : item.substr(equals + 1));
  const std::size_t dash = key.find('-');
  const auto first = Type(key.substr(0, dash));
  const auto second = Type(dash == key.npos ? "" : key.substr(dash + 1));
  if (!distance || (key != "*" && !(first && second))) {
    problem = std::string("'").append(item).append(
        "' is not A-B=D or *=D (types A and B from 1, D positive)");
    return false;
  }
  if (key == "*") {
    if (others) problem = "'*' is given twice";
    distances.others = *distance;
    others = true;
    return problem.empty();
  }
  const MinDistances::Pair pair{std::min(*first, *second), std::max(*first, *second), *distance};
  for (const MinDistances::Pair& before : distances.pairs) {
    if (before.first == pair.first && before.second == pair.second) {
      problem = "the pair " + std::to_string(pair.first) + "-" + std::to_string(pair.second) +
                " is given twice";
      return false;
    }
  }
  distances.pairs.push_back(pair);
  return true;
}

}  // namespace

double MinDistances::Of(int a, int b) const {
  for (const Pair& pair : pairs) {
    if (pair.first == std::min(a, b) && pair.second == std::max(a, b)) return pair.distance;
  }
  return others;
}

std::optional<MinDistances> ParseMinDistances(std::string_view text, std::string& problem) {
  MinDistances distances;
  if (text.find('=') == text.npos) {
    const auto all = PositiveDistance(text);
    if (!all) problem = std::string("'").append(text).append("' is not a positive number");
    distances.others = all.value_or(0);
    return all ? std::optional(distances) : std::nullopt;
  }
  bool others = false;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    if (!ReadItem(text.substr(start, comma - start), distances, others, problem)) {
      return std::nullopt;
    }
    start = comma + 1;
  }
  return distances;
}

PairReach::PairReach(const MinDistances& distances, int types, double box)
    : class_of_(static_cast<std::size_t>(types), 0) {
  for (const MinDistances::Pair& pair : distances.pairs) {
    for (const int type : {pair.first, pair.second}) {
      if (type <= types && class_of_[type - 1] == 0) class_of_[type - 1] = classes_++;
    }
  }
  const auto n = static_cast<std::size_t>(classes_);
  reach_.assign(n * n, distances.others / box);
  for (const MinDistances::Pair& pair : distances.pairs) {
    if (pair.second > types) continue;
    const std::size_t a = class_of_[pair.first - 1];
    const std::size_t b = class_of_[pair.second - 1];
    reach_[a * n + b] = reach_[b * n + a] = pair.distance / box;
  }
  // As the distance of the single-number option has always been compared.
  for (const double reach : reach_) squared_.push_back(reach * reach);
}

// Two bounds, the smaller taken:
// - volume: balls of radius d/2 around the points do not overlap and lie
//   between inner - d/2 and outer + d/2;
// - area, for a shell thinner than d (w = outer - inner): two points at an
//   angle g seen from the centre are at most sqrt(w^2 + 2 outer^2 (1 - cos g))
//   apart, so 1 - cos g >= x = (d^2 - w^2) / (2 outer^2); caps of half that
//   angle around their directions do not overlap on the unit sphere, and each
//   covers 2 pi (1 - cos(g/2)) of its 4 pi, cos(g/2) = sqrt(1 - x/2).
double MostInShell(double inner, double outer, double d) {
  const double half = d / 2;
  const double hole = std::max(0.0, inner - half);
  const double rim = outer + half;
  const double volume = (rim * rim * rim - hole * hole * hole) / (half * half * half);
  const double w = outer - inner;
  if (!(d > w)) return volume;
  const double x = (d * d - w * w) / (2 * outer * outer);
  if (x > 2) return 1;
  return std::min(volume, 2 / (1 - std::sqrt(1 - x / 2)));
}
