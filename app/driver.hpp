// The two modes of a run, shared by the dialogue and the command line.
#pragma once

#include <fstream>
#include <memory>
#include <string>

#include "cfg/simple_cfg.hpp"
#include "fnc/fnc.hpp"
#include "io/error.hpp"

// The four files of a stem: the stem and a fixed extension each.
struct RunFiles {
  explicit RunFiles(const std::string& stem)
      : incfg(stem + ".incfg"), cfg(stem + ".cfg"), fnc(stem + ".fnc"), dat(stem + ".dat") {}
  std::string incfg, cfg, fnc, dat;
};

// The objects of a run, destroyed in the reverse order of their construction.
struct RunObjects {
  std::unique_ptr<SimpleCfg> input, output;
  std::unique_ptr<FNC> constraints;
};

// Open a file on a run's stream (an output to be replaced whole); one that
// cannot be used goes to the report, which stops the run there or leaves it
// to the reader or writer that gets the stream.
void Open(std::ifstream& in, const std::string& name, Report& report, bool read_twice = false);
void Open(std::ofstream& out, const std::string& name, Report& report);

// Mode 1: the centres of `files.incfg` surrounded by the shells of
// `files.dat` placed as `how` says, written to `files.cfg` and `files.fnc`.
void GrowShells(const RunFiles& files, RunObjects& run, Report& report, ShellPlacement how = {});

// Mode 2: the pair list of `files.dat` expanded over all molecules into
// `files.fnc`.
void ExpandPairs(const RunFiles& files, RunObjects& run, Report& report);
