// Sine and cosine computed the same way on every processor. The system's
// mathematical library picks among code paths by processor features, and
// those paths do not always agree in the last bit; the shell placement must
// give the same coordinates for the same seed wherever it runs.
#pragma once

// Within one unit in the last place of the true value for arguments up to a
// few multiples of pi (the placement's angles lie in 0 .. 2 pi); arguments
// of any size give the same result on every machine.
double PortableSin(double x);
double PortableCos(double x);

// Both at once, sharing the argument reduction; the same values as the two
// functions above.
void PortableSinCos(double x, double& sine, double& cosine);
