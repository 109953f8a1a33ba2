// Game: cosine and sine that give the same bits on every build. The C libraries' cos and sin
// (glibc on x86-64 and arm64, the web build's, MinGW's) may differ in the last bit, and the balls'
// paths are built from them frame after frame; these are worked out in double-double arithmetic
// from additions, multiplications and divisions alone, which round alike everywhere, and rounded
// once at the end: the nearest double to the true value (the same as glibc's for every angle the
// game lays out). Exact for |x| < 2^30; beyond that they hand over to the C library.
#pragma once

double GameCos(double x);
double GameSin(double x);
