#pragma once

#include <cstdint>

namespace pulsefir::core {

// Sine and cosine that give the same bits on every x86-64 processor and in every vector width:
// the scalar and the vector kernels run one algorithm, built only from separately rounded
// additions, multiplications and bit operations. Within about one unit in the last place of the
// exact value; NaN for infinite or NaN arguments.
double sine(double x);
double cosine(double x);

namespace trig_constants {
// Round-to-integer by adding and subtracting 1.5 * 2^52 (valid for |x| < 2^51).
constexpr double RoundingShift = 0x1.8p52;
constexpr double TwoOverPi = 0x1.45f306dc9c883p-1;
// pi/2 = PiOverTwo1 + ... + PiOverTwo4 to about 2^-126; the first three have 22 significant bits.
constexpr double PiOverTwo1 = 0x1.921fb8p+0;
constexpr double PiOverTwo2 = -0x1.5dde98p-23;
constexpr double PiOverTwo3 = 0x1.846988p-48;
constexpr double PiOverTwo4 = 0x1.8cc51701b839ap-72;
// From here on |k| may reach 2^31 and k * PiOverTwo1 is no longer exact (rad).
constexpr double LargeAngle = 3.0e9;
// sin r = r + r^3 (S1 + r^2 S2 + ...), cos r = 1 - r^2/2 + r^4 (C1 + r^2 C2 + ...), |r| <= pi/4.
constexpr double S1 = -1.66666666666666324348e-01;
constexpr double S2 = 8.33333333332248946124e-03;
constexpr double S3 = -1.98412698298579493134e-04;
constexpr double S4 = 2.75573137070700676789e-06;
constexpr double S5 = -2.50507602534068634195e-08;
constexpr double S6 = 1.58969099521155010221e-10;
constexpr double C1 = 4.16666666666666019037e-02;
constexpr double C2 = -1.38888888888741095749e-03;
constexpr double C3 = 2.48015872894767294178e-05;
constexpr double C4 = -2.75573143513906633035e-07;
constexpr double C5 = 2.08757232129817482790e-09;
constexpr double C6 = -1.13596475577881948265e-11;
} // namespace trig_constants

// For finite |x| >= LargeAngle: x = quadrant * pi/2 + r with |r| <= pi/4 (quadrant modulo 4 is
// what matters), using 1280 bits of 2/pi.
void reduceLargeAngle(double x, std::int64_t &quadrant, double &r);

} // namespace pulsefir::core
