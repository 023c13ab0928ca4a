// The histogram of the distances of each kind, as SVG that any browser shows.
#include "app/plot.hpp"

#include <algorithm>

#include "io/file_stream.hpp"
#include "io/number_format.hpp"

bool KindDistances::Add(double distance) {
  ++pairs;
  sum += distance;
  smallest = std::min(smallest, distance);
  largest = std::max(largest, distance);
  if (distance < window_min - slack || distance > window_max + slack) {
    ++(distance < window_min ? below : above);
    ++outside;
    return true;
  }
  const double width = window_max - window_min;
  const int bin = width > 0 ? static_cast<int>((distance - window_min) / width * kBins) : 0;
  ++bins[std::clamp(bin, 0, kBins - 1)];
  return false;
}

namespace {

constexpr int kWidth = 580;
constexpr int kHeight = 250;  // of one panel
constexpr int kLeft = 100;    // room for the count axis and the pairs below the window
constexpr int kPlot = 400;    // width of the window's bars
constexpr int kTop = 40;
constexpr int kBars = 150;  // height of the tallest bar

void Bar(std::ostream& out, double x, double width, long long count, long long most, int top,
         const char* colour) {
  const double height =
      most > 0 ? static_cast<double>(count) / static_cast<double>(most) * kBars : 0;
  out << "<rect x=\"" << x << "\" y=\"" << top + kBars - height << "\" width=\"" << width
      << "\" height=\"" << height << "\" fill=\"" << colour << "\"><title>" << count
      << " pairs</title></rect>\n";
}

void Text(std::ostream& out, double x, double y, const std::string& text,
          const char* anchor = "middle") {
  out << "<text x=\"" << x << "\" y=\"" << y << "\" text-anchor=\"" << anchor << "\">" << text
      << "</text>\n";
}

}  // namespace

void WritePlot(std::ostream& out, const std::vector<KindDistances>& kinds,
               const std::string& name) {
  const auto panels = static_cast<int>(std::max<std::size_t>(kinds.size(), 1));
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\""
      << kHeight * panels << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    const KindDistances& kind = kinds[k];
    const int top = static_cast<int>(k) * kHeight + kTop;
    long long most = std::max(kind.below, kind.above);
    for (const long long count : kind.bins) most = std::max(most, count);
    Text(out, kWidth / 2, top - 16,
         "kind " + std::to_string(k + 1) + ": window " + GeneralText(kind.window_min) + " .. " +
             GeneralText(kind.window_max) + ", " + std::to_string(kind.pairs) + " pairs, " +
             std::to_string(kind.outside) + " outside");
    const double bin = static_cast<double>(kPlot) / KindDistances::kBins;
    for (int b = 0; b < KindDistances::kBins; ++b) {
      Bar(out, kLeft + b * bin + 1, bin - 2, kind.bins[b], most, top, "#4477aa");
    }
    Bar(out, kLeft - 40, 20, kind.below, most, top, "#cc3311");
    Bar(out, kLeft + kPlot + 20, 20, kind.above, most, top, "#cc3311");
    out << "<line x1=\"" << kLeft << "\" y1=\"" << top + kBars << "\" x2=\"" << kLeft + kPlot
        << "\" y2=\"" << top + kBars << "\" stroke=\"black\"/>\n"
        << "<line x1=\"" << kLeft << "\" y1=\"" << top << "\" x2=\"" << kLeft << "\" y2=\""
        << top + kBars << "\" stroke=\"black\"/>\n";
    Text(out, kLeft, top + kBars + 14, GeneralText(kind.window_min));
    Text(out, kLeft + kPlot, top + kBars + 14, GeneralText(kind.window_max));
    Text(out, kLeft - 30, top + kBars + 30, "below");
    Text(out, kLeft + kPlot + 30, top + kBars + 30, "above");
    Text(out, kLeft + kPlot / 2, top + kBars + 30, "distance (length unit of the files)");
    Text(out, kLeft - 46, top + 10, std::to_string(most), "end");
    Text(out, kLeft - 46, top + kBars, "0", "end");
    out << "<text x=\"20\" y=\"" << top + kBars / 2 << "\" transform=\"rotate(-90 20 "
        << top + kBars / 2 << ")\" text-anchor=\"middle\">pairs</text>\n";
  }
  out << "</svg>\n";
  CheckWriteOutcome("", out, name);
}
