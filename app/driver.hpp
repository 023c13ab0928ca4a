// The two modes of a run, shared by the dialogue and the command line, and the
// dialogue itself.
#pragma once

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

// How a run takes the box of its configuration file: its first edge, as the
// dialogue always has, or only a cubic box, as the command line does.
enum class BoxCheck { kFirstEdge, kCubic };

// Mode 1: the centres of `files.incfg` surrounded by the shells of
// `files.dat` placed as `how` says, written to `files.cfg` and `files.fnc`.
void GrowShells(const RunFiles& files, RunObjects& run, Report& report, ShellPlacement how = {},
                BoxCheck box = BoxCheck::kFirstEdge);

// Mode 2: the pair list of `files.dat` expanded over all molecules into
// `files.fnc`.
void ExpandPairs(const RunFiles& files, RunObjects& run, Report& report);

// The dialogue (app/dialogue.cpp): returns the exit status of a complete run
// (0); an error ends the process earlier through the fatal stop.
int RunFncprep();
