// The ".fnc" constraint file writer: the only place that knows its layout.
#include <algorithm>

#include "fnc/fnc.hpp"
#include "io/console.hpp"
#include "io/text_writer.hpp"

void FNC::rawsave(std::ostream& out) const {
  if (!HasOpenFile(out) || out.fail()) {
    std::cerr << "There is no open file to save the FNC object " << std::endl;
    FatalStop();
  }
  WithMemoryGuard("FNC::rawsave", [&] {
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
    // Each row's entries follow those of the row before.
    const std::size_t entries = std::min(neighbours.size(), constrainttype.size());
    const auto rows =
        std::max(0, std::min({natoms, static_cast<int>(ncoord.size()),
                              static_cast<int>(centralindex.size())}));
    std::size_t p = 0;
    for (int i = 0; i < rows; ++i) {
      const std::size_t end = std::min(p + static_cast<std::size_t>(std::max(ncoord[i], 0)), entries);
      w << Width10 << centralindex[i] + 1 << Width10 << ncoord[i] << '\n';
      for (std::size_t e = p; e < end; ++e) w << Width10 << neighbours[e] + 1;
      w << '\n';
      for (std::size_t e = p; e < end; ++e) w << Width4 << constrainttype[e] + 1;
      w << '\n';
      p = end;
    }
  });
  CheckWriteOutcome("FNC::rawsave", out);
}
