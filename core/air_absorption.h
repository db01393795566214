#pragma once

namespace pulsefir::core {

// The still air between transducer and target: its climate and pressure.
struct AirClimate {
    double Temperature = 20.0; // °C
    double Humidity = 50.0;    // relative humidity, %
    double Pressure = 101.325; // kPa
};

// The absorption coefficient of air for a pure tone, dB/m, at a frequency in MHz (Hz inside):
// classical and rotational absorption plus the vibrational relaxation of oxygen and nitrogen,
// the water vapour's molar concentration from the relative humidity through the saturation
// vapour pressure over water.
double airAbsorption(double frequencyMHz, const AirClimate &air);

// The speed of sound in air, m/s: 343.2 * sqrt(T / 293.15 K).
double speedOfSound(double temperatureC);

} // namespace pulsefir::core
