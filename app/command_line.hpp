// fncprep with arguments: grow, expand and check as a conventional
// command-line tool.
#pragma once

// Runs the command the arguments name; returns the exit status: 0 done (or
// every constraint holds), 1 an input error or a failed check, 2 a usage
// error.
int RunCommandLine(int argc, char** argv);
