// Extended XYZ of a configuration: positions in the box's length unit.
#include "cfg/xyz_file.hpp"

#include <algorithm>

#include "io/file_stream.hpp"
#include "io/text_writer.hpp"

void WriteExtendedXyz(std::ostream& out, const SimpleCfg& config, const std::string& name) {
  {
    TextWriter w(out);
    const double box = SimpleCfg::boxlength;
    w.SetGeneral(10);
    w << config.size() << "\nLattice=\"" << box << " 0 0 0 " << box << " 0 0 0 " << box
      << "\" Properties=species:S:1:pos:R:3 pbc=\"T T T\"\n";
    for (int i = 0; i < config.size(); ++i) {
      // Atoms are stored type by type; those past the declared types are X.
      const auto type =
          std::upper_bound(SimpleCfg::typestart.begin(), SimpleCfg::typestart.end(), i) -
          SimpleCfg::typestart.begin();
      if (type < static_cast<long>(SimpleCfg::typestart.size())) {
        w << 'T' << static_cast<std::int64_t>(type);
      } else {
        w << 'X';
      }
      const double* position = config.coords.get() + 3 * static_cast<std::size_t>(i);
      for (int k = 0; k < 3; ++k) w << ' ' << position[k] * box;
      w << '\n';
    }
  }
  CheckWriteOutcome("", out, name);
}
