#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "base/error.h"
#include "core/air_absorption.h"
#include "core/air_path.h"
#include "core/signal_synthesis.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

// The absorption written out again in long double, dB/m, from the same published equations in
// another arrangement: powers through exp and log, the saturation pressure through e, the
// relaxation terms as f^2 fr / (fr^2 + f^2). The constants are those of the standard (8.686 too).
long double independentAlpha(long double fHz, long double tC, long double rh, long double pKPa) {
    const long double t = tC + 273.15L;
    const long double pr = pKPa / 101.325L;
    const long double tr = t / 293.15L;
    const long double exponent = 4.6151L - 6.8346L * std::exp(1.261L * std::log(273.16L / t));
    const long double h = rh * std::exp(exponent * std::log(10.0L)) / pr;
    const long double fro = pr * (24.0L + 40400.0L * h * (h + 0.02L) / (h + 0.391L));
    const long double frn = pr / std::sqrt(tr) * (9.0L + 280.0L * h * std::exp(-4.17L * (1.0L / std::cbrt(tr) - 1.0L)));
    const long double classical = 1.84e-11L * std::sqrt(tr) / pr;
    const long double o = 0.01275L * std::exp(-2239.1L / t) * fro / (fro * fro + fHz * fHz);
    const long double n = 0.1068L * std::exp(-3352.0L / t) * frn / (frn * frn + fHz * fHz);
    return 8.686L * fHz * fHz * (classical + (o + n) / (tr * tr * std::sqrt(tr)));
}

TEST(AirAbsorptionTest, AgreesWithIndependentEvaluationOverTheRange) {
    double worst = 0.0;
    for (double f = 1e3; f <= 2e6 * 1.0001; f *= 1.25)
        for (double t = -20.0; t <= 50.0; t += 7.0)
            for (double rh : {10.0, 33.0, 50.0, 78.0, 100.0})
                for (double p : {80.0, 95.0, 101.325, 110.0}) {
                    const double alpha = airAbsorption(f / 1e6, {t, rh, p});
                    const long double reference = independentAlpha(f, t, rh, p);
                    worst = std::max(worst, static_cast<double>(std::abs(alpha - reference) / reference));
                    ASSERT_NEAR(alpha, static_cast<double>(reference), 1e-9 * static_cast<double>(reference))
                        << f << " Hz, " << t << " °C, " << rh << " %, " << p << " kPa";
                }
    EXPECT_LT(worst, 1e-9);
}

// The published table of pure-tone attenuation at 101.325 kPa, dB/km, at the exact octave
// midbands 1000 * 10^(3k/10) Hz, 63 Hz to 8 kHz, given to 0.1 dB/km (to 1 dB/km above 100).
struct TableRow {
    double temperature; // °C
    double humidity;    // %
    std::vector<double> dbPerKm;
};

class AirAbsorptionTableTest : public testing::TestWithParam<TableRow> {};

TEST_P(AirAbsorptionTableTest, MatchesPublishedValues) {
    const TableRow &row = GetParam();
    for (std::size_t k = 0; k < row.dbPerKm.size(); ++k) {
        const double f = 1000.0 * std::pow(10.0, 0.3 * (static_cast<double>(k) - 4.0)); // Hz
        const double printed = row.dbPerKm[k];
        const double tolerance = (printed < 100.0 ? 0.05 : 0.5) + 1e-3 * printed;
        EXPECT_NEAR(airAbsorption(f / 1e6, {row.temperature, row.humidity, 101.325}) * 1000.0, printed, tolerance)
            << f << " Hz";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, AirAbsorptionTableTest,
                         testing::Values(TableRow{10, 70, {0.1, 0.4, 1.0, 1.9, 3.7, 9.7, 32.8, 117}},
                                         TableRow{20, 70, {0.1, 0.3, 1.1, 2.8, 5.0, 9.0, 22.9, 76.6}},
                                         TableRow{30, 70, {0.1, 0.3, 1.0, 3.1, 7.4, 12.7, 23.1, 59.3}},
                                         TableRow{15, 20, {0.3, 0.6, 1.2, 2.7, 8.2, 28.2, 88.8, 202}},
                                         TableRow{15, 50, {0.1, 0.5, 1.2, 2.2, 4.2, 10.8, 36.2, 129}},
                                         TableRow{15, 80, {0.1, 0.3, 1.1, 2.4, 4.1, 8.3, 23.7, 82.8}}));

TEST(AirAbsorptionTest, UltrasonicValuesAndSpeedOfSound) {
    // About 1.3, 8 and 160 dB/m at 20 °C and 50 % at 40 kHz, 200 kHz and 1 MHz.
    const AirClimate room{20.0, 50.0, 101.325};
    EXPECT_NEAR(airAbsorption(0.04, room), 1.32, 0.01);
    EXPECT_NEAR(airAbsorption(0.2, room), 8.23, 0.01);
    EXPECT_NEAR(airAbsorption(1.0, room), 161.7, 0.1);
    EXPECT_EQ(airAbsorption(0.0, room), 0.0);
    EXPECT_DOUBLE_EQ(speedOfSound(20.0), 343.2);
    EXPECT_NEAR(speedOfSound(0.0), 331.3, 0.05);
    EXPECT_NEAR(speedOfSound(-40.0), 343.2 * std::sqrt(233.15 / 293.15), 1e-12);
}

constexpr double Fs = 0.8; // MHz

// A burst of a few periods under a Gaussian envelope (10 µs), centred at -n..n's sample `at`:
// its spectrum has fallen below 1e-30 of its peak long before half the sampling frequency, so no
// two sound evaluations of the model can differ by how they treat the top of the band.
std::vector<double> burst(int n, double frequency = 0.2, int at = 0) {
    std::vector<double> x(static_cast<std::size_t>(2 * n + 1));
    for (int i = -n; i <= n; ++i) {
        const double t = (i - at) / Fs; // µs
        x[static_cast<std::size_t>(i + n)] =
            std::exp(-0.5 * (t / 10.0) * (t / 10.0)) * std::cos(2.0 * std::numbers::pi * frequency * t + 0.3);
    }
    return x;
}

double peakOf(const std::vector<double> &x) {
    double m = 0.0;
    for (const double v : x)
        m = std::max(m, std::abs(v));
    return m;
}

// The model evaluated independently: a direct (slow) Fourier sum over a longer, differently sized
// zero-padded frame, each frequency's gain and delay applied as the model states.
std::vector<double> directCarry(const std::vector<double> &x, const PathParameters &path) {
    const int n = static_cast<int>(x.size() / 2);
    const int length = 4 * static_cast<int>(x.size()) + 2; // even, with its Nyquist bin dropped
    const long double pi = std::numbers::pi_v<long double>;
    std::vector<std::complex<long double>> spectrum(static_cast<std::size_t>(length / 2));
    for (int k = 0; k < length / 2; ++k) {
        std::complex<long double> sum = 0;
        for (int i = 0; i < static_cast<int>(x.size()); ++i)
            sum += static_cast<long double>(x[static_cast<std::size_t>(i)]) *
                   std::polar(1.0L,
                              -2.0L * pi * static_cast<long double>(static_cast<long long>(k) * i % length) / length);
        const double f = k * Fs / length; // MHz
        AirClimate recorded = path.Recorded.Air;
        recorded.Pressure = path.Target.Air.Pressure;
        const long double db = airAbsorption(f, path.Target.Air) * path.Target.Distance -
                               airAbsorption(f, recorded) * path.Recorded.Distance;
        const long double spread =
            path.Wave == Spreading::Spherical ? path.Recorded.Distance / path.Target.Distance : 1.0;
        const long double delay = path.KeepDelay
                                      ? (path.Target.Distance / speedOfSound(path.Target.Air.Temperature) -
                                         path.Recorded.Distance / speedOfSound(path.Recorded.Air.Temperature)) *
                                            1e6L * Fs
                                      : 0.0L; // samples
        spectrum[static_cast<std::size_t>(k)] =
            sum * spread * std::pow(10.0L, -db / 20.0L) * std::polar(1.0L, -2.0L * pi * k * delay / length);
    }
    std::vector<double> y(x.size());
    for (int i = 0; i < static_cast<int>(x.size()); ++i) {
        long double value = spectrum[0].real();
        for (int k = 1; k < length / 2; ++k)
            value += 2.0L *
                     (spectrum[static_cast<std::size_t>(k)] *
                      std::polar(1.0L,
                                 2.0L * pi * static_cast<long double>(static_cast<long long>(k) * i % length) / length))
                         .real();
        y[static_cast<std::size_t>(i)] = static_cast<double>(value / length);
    }
    (void)n;
    return y;
}

struct CarryCase {
    std::string name;
    PathParameters path;
};

PathParameters pathOf(double d0, double t0, double rh0, double d, double t, double rh, double p, Spreading s,
                      bool delay) {
    PathParameters path;
    path.Recorded = {d0, {t0, rh0, p}};
    path.Target = {d, {t, rh, p}};
    path.Wave = s;
    path.KeepDelay = delay;
    return path;
}

class AirPathCarryTest : public testing::TestWithParam<CarryCase> {};

TEST_P(AirPathCarryTest, AgreesWithDirectEvaluationOfTheModel) {
    const PathParameters &path = GetParam().path;
    const auto x = burst(150);
    std::vector<double> y(x.size());
    carryPulse(x.data() + 150, y.data() + 150, 150, Fs, path);
    const auto reference = directCarry(x, path);
    const double peak = peakOf(reference);
    ASSERT_GT(peak, 0.0);
    for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR(y[i], reference[i], 1e-6 * peak) << "sample " << static_cast<int>(i) - 150;
}

TEST_P(AirPathCarryTest, CarriedThereAndBackReturnsToItself) {
    const PathParameters &path = GetParam().path;
    const int n = 400;
    const auto x = burst(n);
    std::vector<double> y(x.size());
    carryPulse(x.data() + n, y.data() + n, n, Fs, path);
    PathParameters back = path;
    std::swap(back.Recorded, back.Target);
    back.Recorded.Air.Pressure = path.Target.Air.Pressure;
    back.Target.Air.Pressure = path.Target.Air.Pressure;
    carryPulse(y.data() + n, y.data() + n, n, Fs, back); // in place
    const double peak = peakOf(x);
    for (std::size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR(y[i], x[i], 1e-9 * peak) << "sample " << static_cast<int>(i) - n;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AirPathCarryTest,
    testing::Values(
        CarryCase{"FartherSpherical", pathOf(0.1, 20, 50, 0.5, 20, 50, 101.325, Spreading::Spherical, false)},
        CarryCase{"NearerPlane", pathOf(0.5, 20, 50, 0.12, 20, 50, 101.325, Spreading::Plane, false)},
        CarryCase{"ColdDryWithDelay", pathOf(0.1, 20, 50, 0.12, -10, 10, 101.325, Spreading::Spherical, true)},
        CarryCase{"SameDistanceHumidAir", pathOf(0.3, 10, 20, 0.3, 30, 90, 90.0, Spreading::Spherical, false)},
        CarryCase{"EarlierByDelay", pathOf(0.2, 25, 40, 0.15, 25, 40, 101.325, Spreading::Plane, true)}),
    [](const auto &info) { return info.param.name; });

TEST(AirPathTest, SameDistanceAndClimateIsTheSignalBitForBit) {
    for (const bool delay : {false, true})
        for (const Spreading s : {Spreading::Plane, Spreading::Spherical}) {
            auto state = std::make_unique<CoreState>();
            state->SignalHalfWidth = 1000;
            loadSignal(*state, ToneBurstParameters{}, Fs);
            addNoise(*state, 0.04);
            const auto before = state->SignalBuffer.range(MaxSignalHalfWidth);
            const std::vector<double> saved(before.begin(), before.end());
            propagateSignal(*state, Fs, pathOf(0.37, 12.5, 61, 0.37, 12.5, 61, 97, s, delay));
            const auto after = state->SignalBuffer.range(MaxSignalHalfWidth);
            EXPECT_TRUE(std::equal(after.begin(), after.end(), saved.begin()));
        }
}

TEST(AirPathTest, DelayMovesThePulseByTheTravelTime) {
    // 0.1 m -> 0.3 m at 20 °C: 0.2 m / 343.2 m/s = 582.75 µs, 466.2 samples at 0.8 MHz; the
    // narrow band's peak moves with it.
    const int n = 2000;
    const auto x = burst(n, 0.1, -400);
    PathParameters path = pathOf(0.1, 20, 50, 0.3, 20, 50, 101.325, Spreading::Plane, true);
    std::vector<double> y(x.size());
    carryPulse(x.data() + n, y.data() + n, n, Fs, path);
    const double shift = 0.2 / 343.2 * 1e6 * Fs;
    const auto argmax = [](const std::vector<double> &v) {
        return static_cast<double>(std::max_element(v.begin(), v.end()) - v.begin());
    };
    EXPECT_NEAR(argmax(y) - argmax(x), shift, 1.0);
    // Samples carried past the end are dropped, not wrapped to the start.
    path.Target.Distance = 10.0;
    carryPulse(x.data() + n, y.data() + n, n, Fs, path);
    EXPECT_LT(peakOf(y), 1e-9 * peakOf(x));
}

TEST(AirPathTest, RefusesDistancesAndRatesThatAreNotPositive) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 100;
    loadSignal(*state, ToneBurstParameters{}, Fs);
    const auto before = state->SignalBuffer.range(100);
    const std::vector<double> saved(before.begin(), before.end());
    for (const double bad : {0.0, -1.0, std::nan("")}) {
        EXPECT_THROW(propagateSignal(*state, Fs, pathOf(bad, 20, 50, 1, 20, 50, 101.325, Spreading::Spherical, false)),
                     base::Error);
        EXPECT_THROW(propagateSignal(*state, Fs, pathOf(1, 20, 50, bad, 20, 50, 101.325, Spreading::Spherical, false)),
                     base::Error);
    }
    // Nor a sampling frequency of zero, which would put every bin at 0 Hz and pass the pulse on.
    EXPECT_THROW(propagateSignal(*state, 0.0, pathOf(0.1, 20, 50, 1, 20, 50, 101.325, Spreading::Spherical, false)),
                 base::Error);
    const auto after = state->SignalBuffer.range(100);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), saved.begin()));
}

TEST(AirPathTest, AbsorptionCurveOnTheSpectraGrid) {
    const AirClimate air{20, 50, 101.325};
    const auto curve = absorptionCurve(0.01, 0.07, 4, air);
    ASSERT_EQ(curve.size(), 4u);
    EXPECT_EQ(curve[0], airAbsorption(0.01, air));
    EXPECT_EQ(curve[2], airAbsorption(0.01 + 2 * (0.06 / 3), air));
    EXPECT_EQ(curve[3], airAbsorption(0.07, air));
    EXPECT_EQ(absorptionCurve(0.05, 0.07, 1, air), std::vector<double>{airAbsorption(0.05, air)});
    EXPECT_TRUE(absorptionCurve(0.05, 0.07, 0, air).empty());
}

} // namespace
