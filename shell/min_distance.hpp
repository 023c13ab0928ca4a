// The minimum distances that the placement keeps between atoms: one for every
// pair of atom types, or one for each pair listed and another for the rest.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct MinDistances {
  // A pair of types (numbered from 1, first <= second) and its distance.
  struct Pair {
    int first;
    int second;
    double distance;
  };
  std::vector<Pair> pairs;
  double others = 0;  // every pair not listed; 0: no minimum

  bool Any() const { return others > 0 || !pairs.empty(); }
  // The distance between atoms of the types a and b (from 1).
  double Of(int a, int b) const;
};

// A positive finite number filling the whole text, or nothing.
std::optional<double> PositiveDistance(std::string_view text);

// "D" for every pair, or items "A-B=D" and "*=D" separated by commas (D
// positive, A and B type numbers, no pair twice). Nothing, and the reason in
// `problem`, for any other text.
std::optional<MinDistances> ParseMinDistances(std::string_view text, std::string& problem);

// The distances of a run in the terms of the placement: each type a class
// (every type the list names a class of its own, all others class 0), and per
// pair of classes the distance in box units and its square.
class PairReach {
 public:
  PairReach(const MinDistances& distances, int types, double box);
  int ClassOf(int type) const { return class_of_[type]; }  // type from 0
  int classes() const { return classes_; }
  double Between(int a, int b) const { return reach_[a * classes_ + b]; }
  double Squared(int a, int b) const { return squared_[a * classes_ + b]; }
  const std::vector<double>& squared() const { return squared_; }

 private:
  std::vector<int> class_of_;
  int classes_ = 1;
  std::vector<double> reach_;
  std::vector<double> squared_;
};

// At most how many points fit between the radii inner and outer around a
// centre with none of them closer than d to another (see the .cpp).
double MostInShell(double inner, double outer, double d);
