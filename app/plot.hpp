// Where the distances of each constraint kind lie, and their plot.
#pragma once

#include <array>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

// The distances of one kind's pairs: counts, extremes, and a histogram of
// where they lie in the window, those below and above it kept apart.
struct KindDistances {
  static constexpr int kBins = 20;
  KindDistances() = default;
  KindDistances(double min, double max, double slack)
      : window_min(min), window_max(max), slack(slack) {}
  // Adds a pair's distance; true when it lies outside the window by more
  // than the slack.
  bool Add(double distance);

  double window_min = 0;
  double window_max = 0;
  double slack = 0;
  long long pairs = 0;
  long long outside = 0;
  long long below = 0;
  long long above = 0;
  double smallest = std::numeric_limits<double>::infinity();
  double largest = -std::numeric_limits<double>::infinity();
  double sum = 0;
  std::array<long long, kBins> bins{};
};

// An SVG with one panel per kind: a histogram of the distances across the
// window, with the pairs below and above it shown apart.
void WritePlot(std::ostream& out, const std::vector<KindDistances>& kinds, const std::string& name);
