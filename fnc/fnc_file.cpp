// The ".fnc" constraint file writer: the only place that knows its layout.
#include <algorithm>

#include "app/console.hpp"
#include "app/text_writer.hpp"
#include "fnc/fnc.hpp"

void FNC::rawsave(std::ostream& out) const {
  if (!HasOpenFile(out) || out.fail()) {
    std::cerr << "There is no open file to save the FNC object " << std::endl;
    FatalStop();
  }
  {
    TextWriter w(out);
    // The windows take the stream's own precision: 6 on a fresh stream, 15
    // after the configuration file has been written through it.
    w.SetGeneral(static_cast<int>(out.precision()));
    w << "This is a .fnc file created by FNC::rawsave \n\n";
    w << " No. of possible rmin-rmax pairs: \n";
    w << Width7 << nconstraints << '\n';
    const int kinds =
        std::clamp(nconstraints, 0, static_cast<int>(std::min(rmin.size(), rmax.size())));
    for (int k = 0; k < kinds; ++k) w << Width7 << rmin[k];
    w << '\n';
    for (int k = 0; k < kinds; ++k) w << Width7 << rmax[k];
    w << "\n \n";
    w << Width7 << natoms << "\n \n";
    const std::size_t entries = std::min(neighbours.size(), constrainttype.size());
    std::size_t p = 0;
    const int rows =
        std::min({natoms, static_cast<int>(ncoord.size()), static_cast<int>(centralindex.size())});
    for (int i = 0; i < rows; ++i) {
      const std::size_t count = ncoord[i] > 0 ? static_cast<std::size_t>(ncoord[i]) : 0;
      const std::size_t end = std::min(p + count, entries);
      w << Width10 << centralindex[i] + 1 << Width10 << ncoord[i] << '\n';
      for (std::size_t q = p; q < end; ++q) w << Width10 << neighbours[q] + 1;
      w << '\n';
      for (std::size_t q = p; q < end; ++q) w << Width4 << constrainttype[q] + 1;
      w << '\n';
      p = end;
    }
  }
  CheckWriteOutcome("FNC::rawsave", out);
}
