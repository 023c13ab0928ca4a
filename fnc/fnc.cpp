// The constraint set's class-wide members, constructor and destructor.
#include "fnc/fnc.hpp"

#include <algorithm>
#include <numeric>

#include "cfg/simple_cfg.hpp"
#include "io/error.hpp"

// Every class-wide member starts at zero or empty, where ResetClassWide
// returns it.
int FNC::natoms, FNC::nconstraints, FNC::nentries;
std::vector<int> FNC::ncoord;
std::vector<double> FNC::rmin, FNC::rmax;
int FNC::nmoltypes, FNC::maxmolsize, FNC::npairs;
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

namespace {

template <class... Arrays>
void ClearAll(Arrays&... arrays) {
  (arrays.clear(), ...);
}

}  // namespace

void FNC::ResetClassWide() {
  natoms = nconstraints = nentries = nmoltypes = maxmolsize = npairs = 0;
  ClearAll(pairlist, ncoord, rmin, rmax, nmol, molsize, molpairs, pairtype, typeuses, pairfirst,
           pairsecond, pairline, firstoffset, secondoffset, patfirst, patcentral, patcount, patsize,
           patline, patoffset, patneighbour, patneighbouroffset, patconstrainttype, covered);
}

FNC::FNC(Report& report) : report_(report) {
  const auto notice = [&report](const char* reason) {
    report.Notice("\n****WARNING****");
    report.Notice("FNC constructor");
    report.Notice(reason);
  };
  if (nconstraints < 1)
    notice("There are no coordination constraints, or nconstraints was not initialised!");
  if (natoms < 1) notice("There are no atoms, or natoms was not initialised!");
  report.Notice("FNC object is created");
  WithMemoryGuard("FNC constructor", pairlist, [this] {
    const auto rows = static_cast<std::size_t>(std::max(natoms, 0));
    const auto entries = static_cast<std::size_t>(std::max(nentries, 0));
    const auto types = static_cast<std::size_t>(std::max(SimpleCfg::ntypes, 0));
    centralindex.resize(rows);
    std::iota(centralindex.begin(), centralindex.end(), 0);
    // Every row and entry is written by the placement or the expansion; the
    // first row starts at 0.
    liststart.resize(rows);
    neighbours.resize(entries);
    constrainttype.resize(entries);
    rowstart.assign(types + 1, 0);
  });
}

FNC::~FNC() { report_.Notice("FNC destructor"); }
