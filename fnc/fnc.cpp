// The constraint set's class-wide members, constructor and destructor.
#include "fnc/fnc.hpp"

#include <numeric>

#include "cfg/simple_cfg.hpp"
#include "io/console.hpp"

int FNC::natoms = 0;
int FNC::nconstraints = 0;
int FNC::nentries = 0;
std::vector<int> FNC::ncoord;
std::vector<double> FNC::rmin;
std::vector<double> FNC::rmax;
int FNC::nmoltypes = 0;
int FNC::maxmolsize = 0;
int FNC::npairs = 0;
std::vector<int> FNC::nmol, FNC::molsize, FNC::molpairs;
std::vector<int> FNC::pairtype, FNC::typeuses, FNC::pairfirst, FNC::pairsecond;
std::string FNC::pairlist;
std::vector<int> FNC::pairline;
std::vector<std::int64_t> FNC::firstoffset, FNC::secondoffset;
std::vector<int> FNC::patfirst;
std::vector<int> FNC::patcentral, FNC::patcount, FNC::patsize, FNC::patline;
std::vector<std::int64_t> FNC::patoffset;
std::vector<std::vector<int>> FNC::patneighbour, FNC::patconstrainttype;
std::vector<std::vector<std::int64_t>> FNC::patneighbouroffset;
std::vector<int> FNC::covered;

void FNC::ResetClassWide() {
  natoms = nconstraints = nentries = 0;
  nmoltypes = maxmolsize = npairs = 0;
  pairlist.clear();
  for (auto* array :
       {&ncoord, &nmol, &molsize, &molpairs, &pairtype, &typeuses, &pairfirst, &pairsecond,
        &pairline, &patfirst, &patcentral, &patcount, &patsize, &patline, &covered}) {
    array->clear();
  }
  firstoffset.clear();
  secondoffset.clear();
  patoffset.clear();
  rmin.clear();
  rmax.clear();
  patneighbour.clear();
  patneighbouroffset.clear();
  patconstrainttype.clear();
}

FNC::FNC() {
  if (InDialogue() && nconstraints < 1) {
    WarningNotice("FNC constructor",
                  "There are no coordination constraints, or nconstraints was not initialised!");
  }
  if (InDialogue() && natoms < 1) {
    WarningNotice("FNC constructor", "There are no atoms, or natoms was not initialised!");
  }
  Tell("FNC object is created");
  WithMemoryGuard("FNC constructor", [this] {
    const std::size_t rows = natoms > 0 ? static_cast<std::size_t>(natoms) : 0;
    const std::size_t entries = nentries > 0 ? static_cast<std::size_t>(nentries) : 0;
    const int types = SimpleCfg::ntypes > 0 ? SimpleCfg::ntypes : 0;
    centralindex.resize(rows);
    std::iota(centralindex.begin(), centralindex.end(), 0);
    liststart.assign(rows, 1);
    neighbours.assign(entries, 1);
    constrainttype.assign(entries, 1);
    rowstart.assign(static_cast<std::size_t>(types) + 1, 0);
  });
}

FNC::~FNC() {
  rmin.clear();
  rmin.shrink_to_fit();
  rmax.clear();
  rmax.shrink_to_fit();
  Tell("FNC destructor");
}
