// Sine, cosine and cube root computed the same way on every processor. The
// system's mathematical library picks among code paths by processor features
// and changes between versions, and those do not always agree in the last
// bit; the shell placement must give the same coordinates for the same seed
// wherever it runs.
#pragma once

// Both at once, sharing the argument reduction: within one unit in the last
// place of the true values for |x| up to 10^6, which holds the placement's
// angles (0 .. 2 pi); beyond that, and for infinities and NaN, both are NaN.
void PortableSinCos(double x, double& sine, double& cosine);

// The cube root of a finite x, within one unit in the last place.
double PortableCbrt(double x);
