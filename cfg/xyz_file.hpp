// A configuration as extended XYZ, the format common viewers read.
#pragma once

#include <ostream>
#include <string>

#include "cfg/simple_cfg.hpp"

// The atom count, a comment line with the cubic cell (Lattice=) and the
// columns, then one line per atom: its species (T1, T2, ... by type) and its
// position in the length unit of the box, not in box units.
void WriteExtendedXyz(std::ostream& out, const SimpleCfg& config, const std::string& name);
