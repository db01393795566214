#include "filter_search.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "constants.h"
#include "errors.h"
#include "correlation.h"

namespace pulsefir {

namespace {

// Every run starts its best objective above anything a trial can reach.
long double initialBestObjective() {
    if constexpr (LDBL_MAX_10_EXP >= 4000)
        return 1E4000L;
    else
        return std::numeric_limits<long double>::infinity();
}

double checkedQuotient(double dividend, double divisor) {
    if (divisor == 0.0)
        throw FloatingPointError(FloatingPointFault::DivisionByZero);
    const double q = dividend / divisor;
    CheckStored(q);
    return q;
}

// Restores "not running" when a run ends by an error.
struct RunningGuard {
    CoreState &state;
    bool finished = false;
    ~RunningGuard() {
        if (!finished)
            state.SearchRunning = false;
    }
};

} // namespace

void LoadStartFilter(CoreState &state, int startFilterKind) {
    state.FilterBuffer.fill(0.0);
    if (startFilterKind == Index(StartFilterKindIndex::Delta))
        state.FilterBuffer[0] = 1.0;
}

void BuildResponse(CoreState &state, const ResponseParameters &r, double samplingFrequency) {
    const double spacing = CheckedReciprocal(samplingFrequency); // µs
    const double w = checkedQuotient(Pi, r.Tr1);                 // rad/µs
    // Samples in half the peak duration, held to -1..1e9 before the conversion to an integer (a
    // negative duration or sampling frequency gives an empty peak). A range beyond the buffer is
    // only written up to its end.
    const double halfPeak = std::trunc(r.Tr1 / spacing / 2.0);
    const long long m = !(halfPeak >= -1.0) ? -1LL : halfPeak > 1e9 ? 1000000000LL : static_cast<long long>(halfPeak);
    // The response is computed into scratch storage and checked before it replaces the buffer.
    std::vector<double> scratch(static_cast<std::size_t>(SignalArray::Size), 0.0);
    double *response = scratch.data() + MaxSignalHalfWidth;
    if (r.ResponseShape >= Index(ResponseShapeIndex::HalfWave) &&
        r.ResponseShape <= Index(ResponseShapeIndex::TwoHalfWavesSymmetric)) {
        const long long limit = MaxSignalHalfWidth;
        for (long long k = 0; k <= m && k <= limit; ++k) {
            const double v = std::cos((static_cast<double>(k) * w) * spacing) * r.Ar1;
            response[k] = v;
            response[-k] = v;
        }
        // The side lobe starts at k = M and so replaces the samples at +-M of the central half wave.
        if (r.ResponseShape != Index(ResponseShapeIndex::HalfWave)) {
            for (long long k = std::max(m, 0LL); k <= 3 * m && k <= limit; ++k) {
                const double v = std::cos((static_cast<double>(k) * w) * spacing) * r.Ar1 / 2.5;
                response[-k] = v;
                if (r.ResponseShape == Index(ResponseShapeIndex::TwoHalfWavesSymmetric))
                    response[k] = v;
            }
        }
    }
    CheckComputed(scratch);
    state.ResponseBuffer.assign(MaxSignalHalfWidth, scratch);
}

long double SearchObjective(const CoreState &state, const double *trial, int ns) {
    const long double peak = std::fabs(static_cast<long double>(state.ResponseBuffer[0]));
    long double objective = 0.0L;
    for (int i = -ns; i < 0 && i <= ns; ++i) {
        const long double d = static_cast<long double>(trial[i]) - state.ResponseBuffer[i];
        objective += d * d;
    }
    for (int i = 0; i <= ns; ++i) {
        const long double a = std::fabs(static_cast<long double>(trial[i]));
        if (a > peak) {
            const long double d = a - peak;
            objective += d * d;
        }
    }
    return objective;
}

SearchOutcome SearchFilter(CoreState &state, const ResponseParameters &response, double samplingFrequency,
                           int filterHalfWidth, SearchHost &host) {
    BuildResponse(state, response, samplingFrequency);
    state.TrialOutputBuffer.fill(0.0);
    state.SearchRunning = true;
    RunningGuard guard{state};
    state.FilterHalfWidth = std::clamp(filterHalfWidth, -1, MaxFilterHalfWidth);

    SearchOutcome outcome;
    outcome.BestObjective = initialBestObjective();
    // An epoch works in scratch storage and changes the shared state only once all of it has
    // succeeded: a fault leaves the filter, the increments, the trial output and the generator
    // as the previous epoch left them.
    std::vector<double> increments(FilterArray::Size);
    std::vector<double> trialTaps(FilterArray::Size);
    std::vector<double> trialOutput(SignalArray::Size);
    double *trialTap = trialTaps.data() + MaxFilterHalfWidth;
    double *trial = trialOutput.data() + MaxSignalHalfWidth;

    for (;;) {
        host.ProcessMessages();
        ++outcome.Epoch;
        host.ShowEpoch(outcome.Epoch);
        const double step = host.RandomStep();

        // Both half-widths are read anew: the user may have synthesized a filter or redrawn.
        const int nf = UsableFilterHalfWidth(state.FilterHalfWidth);
        const int ns = UsableSignalHalfWidth(state.SignalHalfWidth);
        const auto tapCount = static_cast<std::size_t>(std::max(0, 2 * nf + 1));
        const auto sampleCount = static_cast<std::size_t>(std::max(0, 2 * ns + 1));
        const std::span<const double> epochIncrements(increments.data() + MaxFilterHalfWidth - std::max(nf, 0),
                                                      tapCount);
        const std::span<const double> epochTaps(trialTap - std::max(nf, 0), tapCount);
        const std::span<const double> epochTrial(trial - std::max(ns, 0), sampleCount);

        const RandomGenerator before = state.random();
        bool accepted = false;
        try {
            for (int j = -nf; j <= nf; ++j) {
                const int n = state.NextRandom(NoiseLevels);
                const double increment = (n - NoiseLevels / 2) * step / (NoiseLevels / 2);
                increments[static_cast<std::size_t>(j + MaxFilterHalfWidth)] = increment;
                trialTap[j] = state.FilterBuffer[j] + increment;
            }
            CheckComputed(epochIncrements);
            CheckComputed(epochTaps);
            if (ns >= 0 && nf >= 0)
                CorrelateParallel(state.pool(), state.SignalBuffer.centre(), trialTap, nf, trial, -ns, ns);
            else
                for (int i = -ns; i <= ns; ++i)
                    trial[i] = 0.0;
            CheckComputed(epochTrial);

            const long double objective = SearchObjective(state, trial, ns);
            if (std::isnan(objective))
                throw FloatingPointError(FloatingPointFault::InvalidOperation);
            if (objective < outcome.BestObjective) {
                outcome.BestObjective = objective;
                accepted = true;
            }
        } catch (...) {
            state.random() = before;
            throw;
        }
        state.SecondFilterBuffer.assign(nf, epochIncrements);
        state.TrialOutputBuffer.assign(ns, epochTrial);
        // The accepted taps are the trial taps: the filter plus this epoch's increments.
        if (accepted)
            state.FilterBuffer.assign(nf, epochTaps);
        host.ShowBestObjective(outcome.BestObjective);
        if (host.EpochLimit() < outcome.Epoch)
            state.SearchRunning = false;
        if (!state.SearchRunning)
            break;
    }
    guard.finished = true;
    return outcome;
}

void StopSearch(CoreState &state) {
    state.SearchRunning = false;
}

} // namespace pulsefir
