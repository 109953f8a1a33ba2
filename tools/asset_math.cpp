// Asset generator: sine and exponential from + - * / only (see asset_math.h for why).
#include "tools/asset_math.h"

#include <cmath>

namespace assets {

double Sine(double x) {
    // Whole turns are taken off with floor, which is exact; the remainder is what the series sees.
    double turns = std::floor(x / (2 * kPi) + 0.5);
    double r = x - turns * 2 * kPi;
    double term = r, sum = r;
    for (int k = 1; k < 14; ++k) {
        term *= -r * r / ((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

double Exp(double x) {
    int halvings = 0;
    while (x > 0.5 || x < -0.5) {
        x /= 2;
        ++halvings;
    }
    double term = 1, sum = 1;
    for (int k = 1; k < 18; ++k) {
        term *= x / k;
        sum += term;
    }
    while (halvings-- > 0) sum *= sum;
    return sum;
}

double PowInt(double x, int n) {
    double result = 1;
    for (; n > 0; n >>= 1) {
        if (n & 1) result *= x;
        x *= x;
    }
    return result;
}

int RoundClamp(double x, int lo, int hi) {
    if (!(x > lo)) return lo;  // NaN lands here too
    if (x >= hi) return hi;
    return static_cast<int>(std::floor(x + 0.5));
}

}  // namespace assets
