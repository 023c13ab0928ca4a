// fncprep: prepares fixed-neighbour constraint files (and, in its first mode,
// a grown configuration) for varnel++. Command-line arguments are ignored.
#include "app/driver.hpp"

int main() { return RunFncprep(); }
