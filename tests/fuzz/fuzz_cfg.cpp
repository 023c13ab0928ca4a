// Fuzz target: the input bytes as a version 3 configuration file, read the way
// a mode-1 run reads 'filename'.incfg (header counts, then the whole file).
// A file that loads is written back and must read again to the same text.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cfg/simple_cfg.hpp"
#include "fuzz_support.hpp"

namespace {

using fuzz_support::FatalStopped;
using fuzz_support::TargetScope;

// Headers announcing more atoms than this are passed over: the coordinate
// block is sized from the header before any coordinate is read.
constexpr int kMaxAtoms = 1000000;

std::string Saved(const SimpleCfg& config) {
  std::ostringstream out;
  config.save(out, "FNC configuration");
  FUZZ_REQUIRE(out.good());
  return out.str();
}

void LoadAndCheck(const std::string& text) {
  {
    std::istringstream header(text);
    SimpleCfg::GetParams_cfg(header);
  }
  if (SimpleCfg::natoms > kMaxAtoms) return;
  SimpleCfg config;
  {
    std::istringstream body(text);
    config.load(body);
  }

  // Written, read back and written again, the text must not change. Box
  // lengths that the six-decimal field writes as 0 cannot be read back.
  if (SimpleCfg::boxlength < 1e-6) return;
  const std::string first = Saved(config);
  const int atoms = SimpleCfg::natoms;
  const int types = SimpleCfg::ntypes;
  const std::vector<int> counts = SimpleCfg::ni;
  SimpleCfg::ResetLayout();
  try {
    std::istringstream header(first);
    SimpleCfg::GetParams_cfg(header);
    FUZZ_REQUIRE(SimpleCfg::natoms == atoms);
    FUZZ_REQUIRE(SimpleCfg::ntypes == types);
    FUZZ_REQUIRE(SimpleCfg::ni == counts);
    SimpleCfg again;
    std::istringstream body(first);
    again.load(body);
    FUZZ_REQUIRE(Saved(again) == first);
  } catch (const FatalStopped&) {
    fuzz_support::Violated("a written configuration file does not read back");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TargetScope scope;
  try {
    LoadAndCheck(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const FatalStopped&) {
  }
  return 0;
}
