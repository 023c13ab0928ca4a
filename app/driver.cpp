// The run driver: the fixed sequence of files of each mode, as the dialogue
// and the command line both run it.
#include "app/driver.hpp"

#include <fstream>
#include <iostream>

#include "cfg/configuration.hpp"
#include "io/file_stream.hpp"

void GrowShells(const RunFiles& files, RunObjects& run, Report& report, ShellPlacement how,
                BoxCheck box) {
  std::ifstream in;
  OpenTwiceReadable(in, files.incfg, report);
  SimpleCfg::GetParams_cfg(in, files.incfg, report);
  run.input = std::make_unique<SimpleCfg>(report);
  OpenTwiceReadable(in, files.incfg, report);
  run.input->load(in, files.incfg);
  if (box == BoxCheck::kCubic) CubicBoxOf(files.incfg, report);
  OpenOn(in, files.dat, std::ios::in, report);
  SimpleCfg::GetFNCParameters(in, files.dat, *run.input, report);
  run.output = std::make_unique<SimpleCfg>(report);
  run.constraints = std::make_unique<FNC>(report);
  how.centres = files.incfg;
  how.parameters = files.dat;
  run.output->ArrangeNeighbours(*run.constraints, *run.input, how);
  // One stream for both files: the precision SimpleCfg::save leaves on it is
  // the one FNC::rawsave writes the windows of the constraints with. The two
  // files describe the same atoms, so they are put in place together, once
  // both are complete.
  RunOutputs outputs({files.incfg, files.dat});
  std::ofstream out;
  outputs.Open(out, files.cfg, report);
  run.output->save(out, std::string(kGrownTitle), files.cfg);
  outputs.Close(out, "SimpleCfg::save");
  outputs.Open(out, files.fnc, report);
  run.constraints->rawsave(out, files.fnc);
  outputs.Close(out, "FNC::rawsave");
  outputs.Place();
}

void ExpandPairs(const RunFiles& files, RunObjects& run, Report& report) {
  run.input = std::make_unique<SimpleCfg>(report);
  std::ifstream in;
  OpenOn(in, files.dat, std::ios::in, report);
  FNC::GetFNCParams2(in, files.dat, report);
  FNC::AssemblePatterns(report, std::cout);
  run.output = std::make_unique<SimpleCfg>(report);
  run.constraints = std::make_unique<FNC>(report);
  run.constraints->ExpandPatterns();
  RunOutputs outputs({files.dat});
  std::ofstream out;
  outputs.Open(out, files.fnc, report);
  run.constraints->rawsave(out, files.fnc);
  outputs.Close(out, "FNC::rawsave");
  outputs.Place();
}
