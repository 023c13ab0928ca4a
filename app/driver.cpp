// The run driver: the fixed sequence of files of each mode, as the dialogue
// and the command line both run it.
#include "app/driver.hpp"

#include "io/file_stream.hpp"
#include "io/output_file.hpp"

void Open(std::ifstream& in, const std::string& name, Report& report, bool read_twice) {
  auto refusal = read_twice ? OpenTwiceReadable(in, name) : OpenOn(in, name, std::ios::in);
  if (refusal) report.Refused(*refusal);
}

void Open(std::ofstream& out, const std::string& name, Report& report) {
  if (auto refusal = OpenOutput(out, name)) report.Refused(*refusal);
}

void GrowShells(const RunFiles& files, RunObjects& run, Report& report, ShellPlacement how) {
  std::ifstream in;
  Open(in, files.incfg, report, true);
  SimpleCfg::GetParams_cfg(in, files.incfg, report);
  run.input = std::make_unique<SimpleCfg>(report);
  Open(in, files.incfg, report, true);
  run.input->load(in, files.incfg);
  Open(in, files.dat, report);
  SimpleCfg::GetFNCParameters(in, files.dat, report);
  run.output = std::make_unique<SimpleCfg>(report);
  run.constraints = std::make_unique<FNC>(report);
  how.centres = files.incfg;
  how.parameters = files.dat;
  run.output->ArrangeNeighbours(*run.constraints, *run.input, how);
  // One stream for both files: the precision SimpleCfg::save leaves on it is
  // the one FNC::rawsave writes the windows of the constraints with.
  std::ofstream out;
  Open(out, files.cfg, report);
  run.output->save(out, "FNC configuration", files.cfg);
  PlaceOutput(out, "SimpleCfg::save", files.cfg);
  Open(out, files.fnc, report);
  run.constraints->rawsave(out, files.fnc);
  PlaceOutput(out, "FNC::rawsave", files.fnc);
}

void ExpandPairs(const RunFiles& files, RunObjects& run, Report& report) {
  run.input = std::make_unique<SimpleCfg>(report);
  std::ifstream in;
  Open(in, files.dat, report);
  FNC::GetFNCParams2(in, files.dat, report);
  FNC::AssemblePatterns();
  run.output = std::make_unique<SimpleCfg>(report);
  run.constraints = std::make_unique<FNC>(report);
  run.constraints->ExpandPatterns();
  std::ofstream out;
  Open(out, files.fnc, report);
  run.constraints->rawsave(out, files.fnc);
  PlaceOutput(out, "FNC::rawsave", files.fnc);
}
