#include "air_absorption.h"

#include <cmath>

namespace pulsefir::core {

// References: ISO 9613-1:1993, Acoustics - Attenuation of sound during propagation outdoors -
// Part 1: Calculation of the absorption of sound by the atmosphere, equations (3) to (5) and
// (B.1) to (B.3); the constants as printed there.
namespace {

constexpr double ReferencePressure = 101.325;   // kPa, p_r
constexpr double ReferenceTemperature = 293.15; // K, T_0
constexpr double TriplePoint = 273.16;          // K, T_01, the triple-point isotherm of water
constexpr double CelsiusZero = 273.15;          // K

} // namespace

double airAbsorption(double frequencyMHz, const AirClimate &air) {
    const double f = frequencyMHz * 1e6; // Hz
    const double t = air.Temperature + CelsiusZero;
    const double pressure = air.Pressure / ReferencePressure; // p_a / p_r
    const double temperature = t / ReferenceTemperature;      // T / T_0

    // Saturation vapour pressure over water, (B.2)-(B.3): p_sat / p_r = 10^C.
    const double c = -6.8346 * std::pow(TriplePoint / t, 1.261) + 4.6151;
    const double saturation = std::pow(10.0, c);
    // Molar concentration of water vapour, %, (B.1).
    const double h = air.Humidity * saturation / pressure;

    // Relaxation frequencies of oxygen and nitrogen, Hz, (3) and (4).
    const double oxygen = pressure * (24.0 + 4.04e4 * h * (0.02 + h) / (0.391 + h));
    const double nitrogen = pressure * std::pow(temperature, -0.5) *
                            (9.0 + 280.0 * h * std::exp(-4.170 * (std::pow(temperature, -1.0 / 3.0) - 1.0)));

    // Pure-tone absorption, dB/m, (5).
    const double f2 = f * f;
    return 8.686 * f2 *
           (1.84e-11 / pressure * std::sqrt(temperature) +
            std::pow(temperature, -2.5) * (0.01275 * std::exp(-2239.1 / t) / (oxygen + f2 / oxygen) +
                                           0.1068 * std::exp(-3352.0 / t) / (nitrogen + f2 / nitrogen)));
}

double speedOfSound(double temperatureC) {
    return 343.2 * std::sqrt((temperatureC + CelsiusZero) / ReferenceTemperature);
}

} // namespace pulsefir::core
