// Construction and destruction of configurations from the class-wide layout.
#include "cfg/simple_cfg.hpp"

#include <algorithm>

#include "io/error.hpp"

// Every class-wide member starts at zero or empty, where ResetLayout returns
// it.
int SimpleCfg::natoms, SimpleCfg::ntypes, SimpleCfg::nmolecules, SimpleCfg::centraltype;
double SimpleCfg::boxlength;
std::string SimpleCfg::layoutfile;
std::vector<int> SimpleCfg::ni;
std::vector<int> SimpleCfg::typestart;
std::vector<int> SimpleCfg::nneighbours;
std::vector<double> SimpleCfg::rinner;
std::vector<double> SimpleCfg::router;
SimpleCfg::ShellLines SimpleCfg::shelllines;

void SimpleCfg::ResetLayout() {
  ResetMemoryClaims();
  natoms = ntypes = nmolecules = centraltype = 0;
  boxlength = 0;
  layoutfile.clear();
  ni.clear();
  typestart.clear();
  nneighbours.clear();
  rinner.clear();
  router.clear();
  shelllines = {};
}

SimpleCfg::SimpleCfg(Report& report) : report_(report) {
  const int atoms = std::max(natoms, 0);
  const int types = HasLayout() && ntypes > 0 ? ntypes : 0;
  try {
    // Left unset: load or the placement writes every triple before it is used,
    // and untouched pages cost nothing for a header that overstates its size.
    coords = std::make_unique_for_overwrite<double[]>(static_cast<std::size_t>(atoms) * 3);
    typeptr.resize(static_cast<std::size_t>(types));
  } catch (const std::bad_alloc&) {
    throw LocatedError::Text(
        layoutfile, 0,
        "not enough memory for a configuration of " + std::to_string(atoms) + " atoms")
        .Lines({"Sorry, cannot create SimpleCfg."});
  }
  atomcount_ = atoms;
  if (!HasLayout()) {
    report_.Notice(
        "The number of atoms for the SimpleCfg object is 0, empty object will be created!");
  }
  // A header whose type counts add up to more than its total gets no pointer
  // for the types that would start past the block.
  for (int t = 0; t < types; ++t) {
    const int start = typestart[t];
    typeptr[t] = start <= atoms ? coords.get() + static_cast<std::size_t>(start) * 3 : nullptr;
  }
}

SimpleCfg::~SimpleCfg() { report_.Notice("SimpleCfg destructor"); }
