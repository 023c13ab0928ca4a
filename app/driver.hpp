// One run of the program: help text, mode and stem dialogue, then the fixed
// order of reading, building and writing of the chosen mode.
#pragma once

// Returns the exit status of a complete run (0); every error ends the process
// earlier through the fatal stop.
int RunFncprep();
