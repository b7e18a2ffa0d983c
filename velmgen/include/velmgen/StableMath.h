#pragma once
// sin, cos and natural log computed by our own code, so every target (glibc,
// the MinGW runtime) rounds them identically and the engine gives the same
// bytes everywhere. Accurate to within one unit in the last place; the
// argument reduction of sin and cos covers |x| < 2^20 * pi/2, far beyond what
// the engine asks (larger arguments fall back to the runtime's functions).
// sqrt needs nothing of ours: IEEE 754 rounds it exactly on every target.

namespace velmgen {

double stableSin(double x);
double stableCos(double x);
double stableLog(double x);

}  // namespace velmgen
