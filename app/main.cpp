// fncprep: prepares fixed-neighbour constraint files (and, in its first mode,
// a grown configuration) for varnel++. Without arguments it asks for what to
// do; with arguments it is a command-line tool.
#include "app/command_line.hpp"
#include "app/driver.hpp"

int main(int argc, char** argv) { return argc > 1 ? RunCommandLine(argc, argv) : RunFncprep(); }
