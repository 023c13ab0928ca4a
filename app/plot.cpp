// The histogram of the distances of each kind, as SVG that any browser shows.
#include "app/plot.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "io/file_stream.hpp"
#include "io/number_format.hpp"

bool KindDistances::Add(double distance) {
  ++pairs;
  sum += distance;
  smallest = std::min(smallest, distance);
  largest = std::max(largest, distance);
  if (keep) distances.push_back(distance);
  const bool inside = Inside(distance);
  outside += !inside;
  return !inside;
}

void KindDistances::AddTypes(int a, int b) {
  constexpr std::size_t kNamed = 4;  // one more than a title names
  const std::pair<int, int> pair = std::minmax(a, b);
  if (types.size() < kNamed && std::find(types.begin(), types.end(), pair) == types.end()) {
    types.push_back(pair);
  }
}

namespace {

constexpr int kBins = 20;
constexpr double kWidth = 800;
constexpr double kPanel = 320;  // height of one panel
constexpr double kLeft = 80;    // room for the count axis
constexpr double kTop = 62;     // room for the titles and the window's ends
constexpr double kPlotWidth = 440;
constexpr double kPlotHeight = 180;
constexpr double kTable = kLeft + kPlotWidth + 40;  // the pairs outside the window
constexpr const char* kBarColour = "#4477aa";
constexpr const char* kWindowColour = "#cc3311";
constexpr const char* kCurveColour = "#ee7733";

std::string Escaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
  }
  return escaped;
}

void Text(std::ostream& out, double x, double y, const std::string& text,
          const char* anchor = "middle", const std::string& more = "") {
  out << "<text x=\"" << x << "\" y=\"" << y << "\" text-anchor=\"" << anchor << '"' << more << '>'
      << Escaped(text) << "</text>\n";
}

void Line(std::ostream& out, double x1, double y1, double x2, double y2, const std::string& style) {
  out << "<line x1=\"" << x1 << "\" y1=\"" << y1 << "\" x2=\"" << x2 << "\" y2=\"" << y2 << "\" "
      << style << "/>\n";
}

// A step of 1, 2 or 5 times a power of ten that parts `span` in about
// `parts`.
double NiceStep(double span, int parts) {
  const double raw = span / parts;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double fraction = raw / power;
  return (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * power;
}

// The panel's plot area and its scales: distances x0 .. x1 across, counts 0
// .. y1 up.
struct Frame {
  double top, x0, x1, y1;
  double X(double x) const { return kLeft + (x - x0) / (x1 - x0) * kPlotWidth; }
  double Y(double y) const { return top + kPlotHeight - y / y1 * kPlotHeight; }
  double bottom() const { return top + kPlotHeight; }
};

// The distances inside the window, and the range the bins span: the window,
// or, where those distances fill less than a quarter of it, their own range.
struct Range {
  std::vector<double> inside;
  double x0, x1;
  bool fitted = false;
};

Range FitRange(const KindDistances& kind) {
  Range range;
  for (const double d : kind.distances) {
    if (kind.Inside(d)) range.inside.push_back(d);
  }
  range.x0 = std::min(kind.window_min, kind.window_max);
  range.x1 = std::max(kind.window_min, kind.window_max);
  const double width = range.x1 - range.x0;
  if (!range.inside.empty() && width > 0) {
    const auto [low, high] = std::minmax_element(range.inside.begin(), range.inside.end());
    if (*high - *low < width / 4) {
      const double pad = *high > *low ? (*high - *low) / 20 : width / 100;
      range.x0 = std::max(range.x0, *low - pad);
      range.x1 = std::min(range.x1, *high + pad);
      range.fitted = true;
    }
  }
  if (!(range.x1 > range.x0)) {  // a window of one distance
    const double pad = std::max(std::fabs(range.x0), 1.0) / 100;
    range.x0 -= pad;
    range.x1 += pad;
  }
  // A span beyond the largest number would place every bar and tick at a
  // coordinate that is not a number.
  if (!std::isfinite(range.x1 - range.x0)) {
    range.x0 = std::max(range.x0, -std::numeric_limits<double>::max() / 2);
    range.x1 = std::min(range.x1, std::numeric_limits<double>::max() / 2);
  }
  return range;
}

// The count expected in a bin of `width` at distance r of `count` points
// spread evenly through the volume of the shell `inner` .. `outer`.
double ShellCount(double r, double width, long long count, double inner, double outer) {
  return static_cast<double>(count) * 3 * r * r * width /
         (outer * outer * outer - inner * inner * inner);
}

bool DrawsShell(const KindDistances& kind, const PlotContext& context) {
  return context.shells && kind.window_min >= 0 && kind.window_max > kind.window_min;
}

void DrawAxes(std::ostream& out, const Frame& f) {
  const std::string grid = "stroke=\"#dddddd\"";
  const double x_step = NiceStep(f.x1 - f.x0, 5);
  // Ticks while they move on: in a range too narrow for its magnitude a step
  // is lost in rounding, and one tick is all there is.
  double last = -std::numeric_limits<double>::infinity();
  for (double k = std::ceil(f.x0 / x_step - 1e-9);
       k * x_step <= f.x1 + 1e-9 * x_step && k * x_step > last; ++k) {
    last = k * x_step;
    const double x = f.X(k * x_step);
    Line(out, x, f.top, x, f.bottom() + 4, grid);
    Text(out, x, f.bottom() + 16, GeneralText(k * x_step));
  }
  const double y_step = std::max(1.0, NiceStep(f.y1, 4));
  for (double k = 0; k * y_step <= f.y1 + 1e-9; ++k) {
    const double y = f.Y(k * y_step);
    Line(out, kLeft - 4, y, kLeft + kPlotWidth, y, grid);
    Text(out, kLeft - 7, y + 4, GeneralText(k * y_step, 15), "end");
  }
  const std::string axis = "stroke=\"black\"";
  Line(out, kLeft, f.bottom(), kLeft + kPlotWidth, f.bottom(), axis);
  Line(out, kLeft, f.top, kLeft, f.bottom(), axis);
  Text(out, kLeft + kPlotWidth / 2, f.bottom() + 34, "distance (length unit of the files)");
  const double middle = f.top + kPlotHeight / 2;
  Text(out, 24, middle, "pairs per bin", "middle",
       " transform=\"rotate(-90 24 " + GeneralText(middle) + ")\"");
}

void DrawBars(std::ostream& out, const Frame& f, const std::array<long long, kBins>& bins) {
  const double width = kPlotWidth / kBins;
  for (int b = 0; b < kBins; ++b) {
    if (bins[b] == 0) continue;
    const double x = kLeft + b * width;
    const double y = f.Y(static_cast<double>(bins[b]));
    const std::string count = std::to_string(bins[b]);
    out << "<rect class=\"bar\" x=\"" << x + 1 << "\" y=\"" << y << "\" width=\"" << width - 2
        << "\" height=\"" << f.bottom() - y << "\" fill=\"" << kBarColour << "\"><title>" << count
        << (bins[b] == 1 ? " pair" : " pairs") << "</title></rect>\n";
    const double middle = x + width / 2;
    const std::string style = " class=\"bar-count\" font-size=\"10\"";
    if (count.size() <= 3) {
      Text(out, middle, y - 3, count, "middle", style);
    } else {  // too wide for its bar: upright on it
      Text(out, middle + 3, y - 3, count, "start",
           style + " transform=\"rotate(-90 " + GeneralText(middle + 3) + " " + GeneralText(y - 3) +
               ")\"");
    }
  }
}

// The window's ends: dashed lines where they lie within the axis, arrows at
// its edges where the bins are fitted to the distances.
void DrawWindowEnds(std::ostream& out, const Frame& f, const KindDistances& kind) {
  const std::string style =
      "stroke=\"" + std::string(kWindowColour) + "\" stroke-dasharray=\"4 3\"";
  const std::string colour = " fill=\"" + std::string(kWindowColour) + "\"";
  for (const bool lower : {true, false}) {
    const double end = lower ? kind.window_min : kind.window_max;
    const std::string what = (lower ? "lower bound " : "upper bound ") + GeneralText(end);
    const double x = f.X(end);
    if (x >= kLeft - 0.5 && x <= kLeft + kPlotWidth + 0.5) {
      Line(out, x, f.top, x, f.bottom(), style);
      Text(out, x, f.top - 6, what, lower ? "start" : "end", colour);
    } else {
      Text(out, lower ? kLeft : kLeft + kPlotWidth, f.top - 6,
           lower ? "\u2190 " + what : what + " \u2192", lower ? "start" : "end", colour);
    }
  }
}

void DrawShellCurve(std::ostream& out, const Frame& f, const KindDistances& kind,
                    long long inside) {
  const double width = (f.x1 - f.x0) / kBins;
  const double from = std::max(f.x0, kind.window_min);
  const double to = std::min(f.x1, kind.window_max);
  out << "<polyline fill=\"none\" stroke=\"" << kCurveColour << "\" stroke-width=\"2\" points=\"";
  constexpr int kPoints = 60;
  for (int i = 0; i <= kPoints; ++i) {
    const double r = from + (to - from) * i / kPoints;
    out << (i ? " " : "") << f.X(r) << ','
        << f.Y(ShellCount(r, width, inside, kind.window_min, kind.window_max));
  }
  out << "\"/>\n";
  const double y = f.bottom() + 52;
  Line(out, kLeft, y - 4, kLeft + 24, y - 4,
       "stroke=\"" + std::string(kCurveColour) + "\" stroke-width=\"2\"");
  Text(out, kLeft + 30, y,
       "expected of points spread evenly through the shell's volume (\u221d r\u00b2)", "start");
}

// The pairs outside the window, counted in bands of distance beyond each
// end: within 1 %, 10 %, 100 % of the window's width, and farther.
void DrawOutside(std::ostream& out, const Frame& f, const KindDistances& kind) {
  Text(out, kTable, f.top - 6, "outside the window: " + std::to_string(kind.outside), "start",
       " class=\"outside\" font-weight=\"bold\"");
  if (kind.outside == 0) return;
  const double lower = kind.window_min, upper = kind.window_max;
  const double scale = upper > lower ? upper - lower : std::max(std::fabs(upper), 1.0) / 10;
  constexpr std::array<double, 3> kSteps = {0.01, 0.1, 1};
  std::array<long long, 4> below{}, above{};
  for (const double d : kind.distances) {
    if (kind.Inside(d)) continue;
    const double gap = d < lower ? lower - d : d - upper;
    const auto band = std::upper_bound(kSteps.begin(), kSteps.end(), gap / scale) - kSteps.begin();
    ++(d < lower ? below : above)[band];
  }
  const long long most = std::max(*std::max_element(below.begin(), below.end()),
                                  *std::max_element(above.begin(), above.end()));
  double y = f.top + 12;
  const auto row = [&](const std::string& label, long long count) {
    Text(out, kTable, y, label, "start");
    Text(out, kTable + 150, y, std::to_string(count), "end", " class=\"band-count\"");
    const double width = static_cast<double>(count) / static_cast<double>(most) * 60;
    out << "<rect x=\"" << kTable + 156 << "\" y=\"" << y - 9 << "\" width=\"" << width
        << "\" height=\"10\" fill=\"" << kWindowColour << "\"/>\n";
    y += 16;
  };
  // Distances are not negative: bands below 0 are left out.
  for (int b = 3; b >= 0 && lower > 0; --b) {
    const double near = lower - (b > 0 ? kSteps[b - 1] : 0) * scale;
    if (near <= 0) continue;
    row(b == 3 ? "below " + GeneralText(near)
               : GeneralText(std::max(0.0, lower - kSteps[b] * scale)) + " \u2013 " +
                     GeneralText(near),
        below[b]);
  }
  for (int b = 0; b < 4; ++b) {
    const double near = upper + (b > 0 ? kSteps[b - 1] : 0) * scale;
    row(b == 3 ? "above " + GeneralText(near)
               : GeneralText(near) + " \u2013 " + GeneralText(upper + kSteps[b] * scale),
        above[b]);
  }
}

// The types a kind joins, by name: "T1–T2" (atoms past the types the
// configuration declares are X).
std::string TypesOf(const KindDistances& kind, const PlotContext& context) {
  const auto name = [&](int t) {
    if (t < 0) return std::string("X");
    if (t < static_cast<int>(context.type_names.size())) return context.type_names[t];
    std::string numbered = std::to_string(t + 1);
    return numbered.insert(0, 1, 'T');
  };
  std::string text;
  for (std::size_t i = 0; i < kind.types.size(); ++i) {
    text += i == 3 ? ", \u2026"
                   : (i ? ", " : "") + name(kind.types[i].first) + "\u2013" +
                         name(kind.types[i].second);
  }
  return text;
}

void Panel(std::ostream& out, const KindDistances& kind, int k, const PlotContext& context,
           double top) {
  const Range range = FitRange(kind);
  std::array<long long, kBins> bins{};
  for (const double d : range.inside) {
    // Taken before the conversion to int, which a value beyond int's range
    // would make undefined.
    const double at = (d - range.x0) / (range.x1 - range.x0) * kBins;
    ++bins[at > 0 ? static_cast<int>(std::min(at, kBins - 1.0)) : 0];
  }
  const auto inside = static_cast<long long>(range.inside.size());
  const bool shell = DrawsShell(kind, context) && inside > 0;
  double most = static_cast<double>(*std::max_element(bins.begin(), bins.end()));
  if (shell) {
    const double width = (range.x1 - range.x0) / kBins;
    const double far = std::min(range.x1, kind.window_max);
    most = std::max(most, ShellCount(far, width, inside, kind.window_min, kind.window_max));
  }
  // Room above the tallest bar for its count.
  const double step = std::max(1.0, NiceStep(std::max(most * 1.3, 1.0), 4));
  const Frame f{top + kTop, range.x0, range.x1, std::ceil(std::max(most * 1.3, 1.0) / step) * step};
  const std::string types = TypesOf(kind, context);
  Text(out, kWidth / 2, top + 22,
       "kind " + std::to_string(k + 1) + (types.empty() ? "" : " \u00b7 " + types) +
           " \u00b7 window " + GeneralText(kind.window_min) + " .. " + GeneralText(kind.window_max),
       "middle", " font-size=\"14\" font-weight=\"bold\"");
  std::string counts = std::to_string(kind.pairs) + " pairs, " + std::to_string(inside) +
                       " inside the window, " + std::to_string(kind.outside) + " outside";
  if (range.fitted) counts += "; bins fitted to the distances inside";
  if (kind.window_max > context.box / 2) counts += "; cannot be judged beyond half the box";
  Text(out, kWidth / 2, top + 40, counts, "middle", " class=\"counts\"");
  DrawAxes(out, f);
  DrawBars(out, f, bins);
  DrawWindowEnds(out, f, kind);
  if (shell) DrawShellCurve(out, f, kind, inside);
  if (kind.pairs == 0) Text(out, kLeft + kPlotWidth / 2, f.top + kPlotHeight / 2, "no pairs");
  DrawOutside(out, f, kind);
}

}  // namespace

void WritePlot(std::ostream& out, const std::vector<KindDistances>& kinds,
               const PlotContext& context, const std::string& name) {
  const double height = kPanel * static_cast<double>(std::max<std::size_t>(kinds.size(), 1));
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << height
      << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    out << "<g class=\"panel\">\n";
    Panel(out, kinds[k], static_cast<int>(k), context, kPanel * static_cast<double>(k));
    out << "</g>\n";
  }
  out << "</svg>\n";
  CheckWriteOutcome("", out, name);
}
