// The dialogue: fncprep without arguments, byte for byte as it always was.
#pragma once

// Help text, mode and stem, the mode's files, the final prompt. Returns the
// exit status of a complete run (0); an error ends the process earlier
// through the fatal stop.
int RunFncprep();
