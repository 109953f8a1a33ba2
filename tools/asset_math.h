// Asset generator: sine and exponential from + - * / only, so the assets come out byte for byte the same
// whatever C library and compiler build the generator.
#pragma once

namespace assets {

constexpr double kPi = 3.14159265358979323846;

// sin(x) for any finite x: reduced to [-pi, pi], then a Taylor series to double precision.
double Sine(double x);
// e^x for |x| up to a few hundred: halved until small, a Taylor series, then squared back.
double Exp(double x);
// x^n for a whole n >= 0, by repeated squaring (the highlight's falloff).
double PowInt(double x, int n);
// Rounds to the nearest integer (halves up) and clamps to [lo, hi].
int RoundClamp(double x, int lo, int hi);

}  // namespace assets
