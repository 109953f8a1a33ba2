// Game: cosine and sine in double-double arithmetic (trig.h). The error-free steps below need
// every product and sum rounded on its own, as the build asks of the compiler (no fused
// multiply-adds).
#include "game/trig.h"

#include <cmath>

namespace {

// A value as the unevaluated sum hi + lo, |lo| at most half a unit in the last place of hi.
struct Wide {
    double hi, lo;
};

Wide TwoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

Wide QuickTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

// a split into two halves of 26 bits each, whose products are exact.
void Split(double a, double& high, double& low) {
    const double c = 134217729.0 * a;   // 2^27 + 1
    high = c - (c - a);
    low = a - high;
}

Wide TwoProduct(double a, double b) {
    const double p = a * b;
    double ah, al, bh, bl;
    Split(a, ah, al);
    Split(b, bh, bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

Wide Add(Wide a, Wide b) {
    Wide s = TwoSum(a.hi, b.hi);
    const Wide t = TwoSum(a.lo, b.lo);
    s = QuickTwoSum(s.hi, s.lo + t.hi);
    return QuickTwoSum(s.hi, s.lo + t.lo);
}

Wide Multiply(Wide a, Wide b) {
    const Wide p = TwoProduct(a.hi, b.hi);
    return QuickTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// a / d for a small whole d (exact as a double).
Wide Divide(Wide a, double d) {
    const double q1 = a.hi / d;
    const Wide p = TwoProduct(q1, d);
    Wide r = TwoSum(a.hi, -p.hi);
    r.lo = r.lo - p.lo + a.lo;
    const double q2 = (r.hi + r.lo) / d;
    return QuickTwoSum(q1, q2);
}

// 1 - s t / d
Wide OneLess(Wide s, Wide t, double d) {
    const Wide u = Divide(Multiply(s, t), d);
    return Add({1.0, 0.0}, {-u.hi, -u.lo});
}

// The Taylor series of sine and cosine on |r| <= pi/4 + a little, by Horner's rule: fourteen
// terms leave out less than 1e-33.
constexpr int kTerms = 14;

Wide SinSeries(Wide r) {
    const Wide s = Multiply(r, r);
    Wide t{1.0, 0.0};
    for (int n = kTerms; n >= 1; --n) t = OneLess(s, t, (2.0 * n) * (2.0 * n + 1));
    return Multiply(r, t);
}

Wide CosSeries(Wide r) {
    const Wide s = Multiply(r, r);
    Wide t{1.0, 0.0};
    for (int n = kTerms; n >= 1; --n) t = OneLess(s, t, (2.0 * n - 1) * (2.0 * n));
    return t;
}

// pi/2 as the sum of three doubles (the first 160 bits or so).
constexpr double kQuarter1 = 0x1.921fb54442d18p+0;
constexpr double kQuarter2 = 0x1.1a62633145c07p-54;
constexpr double kQuarter3 = -0x1.f1976b7ed8fbcp-110;

// x = k pi/2 + r, |r| <= pi/4 + a little; returns k mod 4.
int Reduce(double x, Wide& r) {
    const double k = std::nearbyint(x * (2 / 3.141592653589793));
    const Wide a = TwoProduct(k, kQuarter1);
    const Wide b = TwoProduct(k, kQuarter2);
    r = Add({x, 0.0}, {-a.hi, -a.lo});
    r = Add(r, {-b.hi, -b.lo});
    r = Add(r, {-k * kQuarter3, 0.0});
    const long long whole = static_cast<long long>(k);
    return static_cast<int>(whole & 3);
}

constexpr double kLimit = 1073741824.0;   // 2^30

}  // namespace

double GameCos(double x) {
    if (!(std::fabs(x) < kLimit)) return std::cos(x);
    Wide r;
    switch (Reduce(x, r)) {
        case 0: return CosSeries(r).hi;
        case 1: return -SinSeries(r).hi;
        case 2: return -CosSeries(r).hi;
        default: return SinSeries(r).hi;
    }
}

double GameSin(double x) {
    if (!(std::fabs(x) < kLimit)) return std::sin(x);
    Wide r;
    switch (Reduce(x, r)) {
        case 0: return SinSeries(r).hi;
        case 1: return CosSeries(r).hi;
        case 2: return -SinSeries(r).hi;
        default: return -CosSeries(r).hi;
    }
}
