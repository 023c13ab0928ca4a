// Where the distances of each constraint kind lie, and their plot.
#pragma once

#include <limits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// The distances of one kind's pairs: counts, extremes, the types of the atoms
// they join and, for the plot, each distance.
struct KindDistances {
  KindDistances(double min, double max, double slack, bool keep)
      : window_min(min), window_max(max), slack(slack), keep(keep) {}
  // Adds a pair's distance; true when it lies outside the window by more
  // than the slack.
  bool Add(double distance);
  // Whether a distance lies inside the window, within the slack; a distance
  // that is not a number lies outside.
  bool Inside(double distance) const {
    return distance >= window_min - slack && distance <= window_max + slack;
  }
  // Notes the types of a pair's atoms (0-based, the lower first).
  void AddTypes(int a, int b);

  double window_min = 0;
  double window_max = 0;
  double slack = 0;
  bool keep = false;  // whether `distances` are kept
  long long pairs = 0;
  long long outside = 0;
  double smallest = std::numeric_limits<double>::infinity();
  double largest = -std::numeric_limits<double>::infinity();
  long double sum = 0;                     // which no distances below the largest double overflow
  std::vector<std::pair<int, int>> types;  // as first met, a few at most
  std::vector<double> distances;
};

// What the plot knows of the configuration: the name of each type ("T1",
// "T2", ... where the file gives none), and whether its kinds are shells of
// neighbours grown around centres, for which it draws the count expected of
// points spread evenly through each shell's volume.
struct PlotContext {
  std::vector<std::string> type_names;
  bool shells = false;
  double box = 0;  // a window beyond half of it cannot be judged
};

// An SVG with one panel per kind: a histogram of the distances inside the
// window with ticks, gridlines and the count of each bar; the pairs outside
// it counted in distance bands beside the panel.
void WritePlot(std::ostream& out, const std::vector<KindDistances>& kinds,
               const PlotContext& context, const std::string& name);
