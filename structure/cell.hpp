// Periodic cells and length units of structures: a cell from its edge
// lengths and angles (as PDB and mmCIF state it) and back, the cubic box a
// configuration needs, and positions in box units.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "structure/structure.hpp"

// The cell with edges a, b, c and angles alpha, beta, gamma (degrees) in the
// standard orientation of PDB and mmCIF: a along x, b in the x-y plane.
Cell CellFromParameters(double a, double b, double c, double alpha, double beta, double gamma);

// a, b, c, alpha, beta, gamma (degrees) of `cell`.
std::array<double, 6> CellParameters(const Cell& cell);

// The edge of `cell` where it is cubic: three edges equal within 1e-6 of the
// longest, at right angles (cosines within 1e-6 of 0). Otherwise a located
// error at `line` of `file` that names the edges and angles.
double CubicEdge(const Cell& cell, const std::string& file, int line);

// `position` in units of the cell's edges (fractional coordinates).
std::array<double, 3> InCellUnits(const Cell& cell, const std::array<double, 3>& position);

// A coordinate in box units moved by whole boxes into [-0.5, 0.5).
double WrapToBox(double s);

// The factor that turns lengths in `from` into `to` ("nm" and "A"); 1 where
// either is not stated.
double LengthScale(std::string_view from, std::string_view to);
