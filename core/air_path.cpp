#include "air_path.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <numbers>
#include <vector>

#include "base/messages.h"
#include "errors.h"
#include "fftw_planner.h"

namespace pulsefir::core {

namespace {

// The smallest odd length 3^a 5^b 7^c of at least `least` samples: odd, so that the real
// transform has no Nyquist bin whose delay phase it could not hold, and of small factors, so
// that FFTW is quick on it.
int transformLength(long least) {
    for (long m = least | 1;; m += 2) {
        long rest = m;
        for (const long factor : {3L, 5L, 7L})
            while (rest % factor == 0)
                rest /= factor;
        if (rest == 1)
            return static_cast<int>(m);
    }
}

void checkDistance(double distance) {
    if (!(distance > 0.0) || !std::isfinite(distance))
        throw base::Error(base::Message::pathDistanceNotPositive());
}

} // namespace

double pathGain(double frequencyMHz, const PathParameters &path) {
    AirClimate recorded = path.Recorded.Air;
    recorded.Pressure = path.Target.Air.Pressure;
    // dB: what the longer (or shorter) way through the target's air takes off the recorded pulse
    const double loss = airAbsorption(frequencyMHz, path.Target.Air) * path.Target.Distance -
                        airAbsorption(frequencyMHz, recorded) * path.Recorded.Distance;
    const double spreading = path.Wave == Spreading::Spherical ? path.Recorded.Distance / path.Target.Distance : 1.0;
    return loss == 0.0 ? spreading : spreading * std::pow(10.0, -loss / 20.0);
}

double pathDelay(const PathParameters &path) {
    if (!path.KeepDelay)
        return 0.0;
    // m / (m/s) = s; in µs
    return (path.Target.Distance / speedOfSound(path.Target.Air.Temperature) -
            path.Recorded.Distance / speedOfSound(path.Recorded.Air.Temperature)) *
           1e6;
}

void carryPulse(const double *x, double *y, int n, double samplingFrequency, const PathParameters &path) {
    checkDistance(path.Recorded.Distance);
    checkDistance(path.Target.Distance);
    if (!(samplingFrequency > 0.0) || !std::isfinite(samplingFrequency))
        throw FloatingPointError(FloatingPointFault::DivisionByZero);
    if (n < 0)
        return;
    const long count = 2L * n + 1;
    const double shift = pathDelay(path) * samplingFrequency; // samples
    checkStored(shift);
    // The pulse, then at least two of its lengths of zeros beside the delay: what the delay or the
    // spread of the transfer's impulse response carries out of 0..count-1 lands in the zeros and
    // never wraps back in.
    const double reach = std::ceil(std::abs(shift));
    if (reach > 1e7)
        throw FloatingPointError(FloatingPointFault::Overflow);
    const int length = transformLength(3 * count + static_cast<long>(reach));
    const int bins = length / 2 + 1;

    std::vector<double> gains(static_cast<std::size_t>(bins));
    bool identity = shift == 0.0;
    for (int k = 0; k < bins; ++k) {
        const double gain = pathGain(k * samplingFrequency / length, path);
        gains[static_cast<std::size_t>(k)] = gain;
        identity = identity && gain == 1.0;
    }
    checkComputed(gains);
    if (identity) {
        // Nothing changes: the pulse as it is, not as a transform's round trip rounds it.
        if (x != y)
            std::copy(x - n, x + n + 1, y - n);
        return;
    }

    auto real = fftwAlloc<double>(static_cast<std::size_t>(length));
    auto spectrum = fftwAlloc<fftw_complex>(static_cast<std::size_t>(bins));
    std::unique_ptr<Plan> forward;
    std::unique_ptr<Plan> backward;
    {
        const std::lock_guard lock(fftwPlannerMutex());
        forward = std::make_unique<Plan>(fftw_plan_dft_r2c_1d(length, real.get(), spectrum.get(), FFTW_ESTIMATE));
        backward = std::make_unique<Plan>(fftw_plan_dft_c2r_1d(length, spectrum.get(), real.get(), FFTW_ESTIMATE));
    }
    std::fill(real.get(), real.get() + length, 0.0);
    std::copy(x - n, x + n + 1, real.get());
    forward->execute();
    // Bin k is k * fs / length MHz; a delay of `shift` samples turns it by -2 pi k shift / length.
    for (int k = 0; k < bins; ++k) {
        const double scale = gains[static_cast<std::size_t>(k)] / length;
        std::complex<double> value(spectrum[k][0], spectrum[k][1]);
        value *= scale;
        if (shift != 0.0) {
            // k * shift / length turns, its whole samples reduced exactly modulo the length so
            // that no phase is lost at large k * shift.
            const auto whole = static_cast<long long>(std::floor(shift));
            const long long wrapped = ((k * whole) % length + length) % length;
            const double turns =
                static_cast<double>(wrapped) / length + k * (shift - static_cast<double>(whole)) / length;
            value *= std::polar(1.0, -2.0 * std::numbers::pi * turns);
        }
        spectrum[k][0] = value.real();
        spectrum[k][1] = value.imag();
    }
    backward->execute();
    checkComputed({real.get(), static_cast<std::size_t>(count)});
    std::copy(real.get(), real.get() + count, y - n);
}

void propagateSignal(CoreState &state, double samplingFrequency, const PathParameters &path) {
    const int n = usableSignalHalfWidth(state.SignalHalfWidth);
    if (n < 0) {
        checkDistance(path.Recorded.Distance);
        checkDistance(path.Target.Distance);
        return;
    }
    std::vector<double> carried(static_cast<std::size_t>(2 * n + 1));
    carryPulse(state.SignalBuffer.centre(), carried.data() + n, n, samplingFrequency, path);
    state.SignalBuffer.assign(n, carried);
}

std::vector<double> absorptionCurve(double low, double high, int pointCount, const AirClimate &air) {
    std::vector<double> alpha;
    if (pointCount < 1)
        return alpha;
    alpha.reserve(static_cast<std::size_t>(pointCount));
    const double step = pointCount > 1 ? (high - low) / (pointCount - 1) : 0.0;
    for (int k = 0; k < pointCount; ++k)
        alpha.push_back(airAbsorption(low + k * step, air));
    return alpha;
}

} // namespace pulsefir::core
