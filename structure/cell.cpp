// Cells through gemmi's unit cell, which makes right angles exact.
#include "structure/cell.hpp"

#include <algorithm>
#include <cmath>
#include <gemmi/unitcell.hpp>
#include <numbers>

#include "io/error.hpp"
#include "io/number_format.hpp"

namespace {

using Vector = std::array<double, 3>;

double Dot(const Vector& u, const Vector& v) { return u[0] * v[0] + u[1] * v[1] + u[2] * v[2]; }

Vector Cross(const Vector& u, const Vector& v) {
  return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

// Without underflow for the tiniest cells.
double Length(const Vector& u) { return std::hypot(u[0], u[1], u[2]); }

// 0 where either vector is 0, which a cubic box's check refuses by its edges.
double Cosine(const Vector& u, const Vector& v) {
  const double lengths = Length(u) * Length(v);
  return lengths > 0 ? std::clamp(Dot(u, v) / lengths, -1.0, 1.0) : 0;
}

double Degrees(double cosine) { return std::acos(cosine) * 180 / std::numbers::pi; }

std::string ListOfThree(double a, double b, double c) {
  return GeneralText(a) + ", " + GeneralText(b) + ", " + GeneralText(c);
}

}  // namespace

Cell CellFromParameters(double a, double b, double c, double alpha, double beta, double gamma) {
  const gemmi::UnitCell unit_cell(a, b, c, alpha, beta, gamma);
  Cell cell{};
  for (int edge = 0; edge < 3; ++edge) {
    for (int k = 0; k < 3; ++k) cell[edge][k] = unit_cell.orth.mat[k][edge] + 0.0;  // no -0
  }
  return cell;
}

std::array<double, 6> CellParameters(const Cell& cell) {
  const auto& [a, b, c] = cell;
  return {Length(a),
          Length(b),
          Length(c),
          Degrees(Cosine(b, c)),
          Degrees(Cosine(a, c)),
          Degrees(Cosine(a, b))};
}

double CubicEdge(const Cell& cell, const std::string& file, int line) {
  const auto [a, b, c, alpha, beta, gamma] = CellParameters(cell);
  const double longest = std::max({a, b, c});
  const double shortest = std::min({a, b, c});
  const bool cubic =
      std::isfinite(longest) && shortest > 0 && longest - shortest <= 1e-6 * longest &&
      std::abs(Cosine(cell[1], cell[2])) <= 1e-6 && std::abs(Cosine(cell[0], cell[2])) <= 1e-6 &&
      std::abs(Cosine(cell[0], cell[1])) <= 1e-6;
  if (!cubic) {
    throw LocatedError(
        file, line, "a cubic box (three equal edges at right angles)",
        "edges " + ListOfThree(a, b, c) + " and angles " + ListOfThree(alpha, beta, gamma));
  }
  return a;
}

Vector InCellUnits(const Cell& cell, const Vector& position) {
  const auto& [a, b, c] = cell;
  if (a[1] == 0 && a[2] == 0 && b[0] == 0 && b[2] == 0 && c[0] == 0 && c[1] == 0)
    return {position[0] / a[0], position[1] / b[1], position[2] / c[2]};
  // Cramer's rule: each coordinate is a volume over the cell's volume.
  const double volume = Dot(a, Cross(b, c));
  return {Dot(position, Cross(b, c)) / volume, Dot(a, Cross(position, c)) / volume,
          Dot(a, Cross(b, position)) / volume};
}

double WrapToBox(double s) {
  double wrapped = s - std::floor(s + 0.5);
  // s + 0.5 may round up to the next whole number.
  if (wrapped >= 0.5) wrapped -= 1;
  if (wrapped < -0.5) wrapped += 1;
  return wrapped;
}

double LengthScale(std::string_view from, std::string_view to) {
  if (from == "nm" && to == "A") return 10;
  if (from == "A" && to == "nm") return 0.1;
  return 1;
}
