#include "filter_search.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "constants.h"
#include "errors.h"
#include "kernels.h"

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
    if (startFilterKind == Delta)
        state.FilterBuffer[0] = 1.0;
}

void BuildResponse(CoreState &state, const ResponseParameters &r, double samplingFrequency) {
    const double spacing = CheckedReciprocal(samplingFrequency); // µs
    const double w = checkedQuotient(Pi, r.Tr1);                 // rad/µs
    // Samples in half the peak duration. A range beyond the buffer is only written up to its end.
    const double halfPeak = std::trunc(r.Tr1 / spacing / 2.0);
    const long long m = halfPeak > 1e9 ? 1000000000LL : static_cast<long long>(halfPeak);
    state.ResponseBuffer.fill(0.0);
    if (r.ResponseShape < HalfWave || r.ResponseShape > TwoHalfWavesSymmetric)
        return;
    const long long limit = MaxSignalHalfWidth;
    for (long long k = 0; k <= m && k <= limit; ++k) {
        const double v = std::cos((static_cast<double>(k) * w) * spacing) * r.Ar1;
        state.ResponseBuffer[static_cast<int>(k)] = v;
        state.ResponseBuffer[static_cast<int>(-k)] = v;
    }
    if (r.ResponseShape == HalfWave)
        return;
    // The side lobe starts at k = M and so replaces the samples at +-M of the central half wave.
    for (long long k = m; k <= 3 * m && k <= limit; ++k) {
        const double v = std::cos((static_cast<double>(k) * w) * spacing) * r.Ar1 / 2.5;
        state.ResponseBuffer[static_cast<int>(-k)] = v;
        if (r.ResponseShape == TwoHalfWavesSymmetric)
            state.ResponseBuffer[static_cast<int>(k)] = v;
    }
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
    state.SearchTrace.clear();
    state.SearchRunning = true;
    RunningGuard guard{state};
    state.FilterHalfWidth = std::clamp(filterHalfWidth, -1, MaxFilterHalfWidth);

    SearchOutcome outcome;
    outcome.BestObjective = initialBestObjective();
    std::vector<double> trialTaps(FilterArray::Size);
    double *trialTap = trialTaps.data() + MaxFilterHalfWidth;
    double *trial = state.TrialOutputBuffer.centre();

    for (;;) {
        host.ProcessMessages();
        ++outcome.Epoch;
        host.ShowEpoch(outcome.Epoch);
        const double step = host.RandomStep();

        // Both half-widths are read anew: the user may have synthesized a filter or redrawn.
        const int nf = UsableFilterHalfWidth(state.FilterHalfWidth);
        const int ns = UsableSignalHalfWidth(state.SignalHalfWidth);
        for (int j = -nf; j <= nf; ++j) {
            const int n = state.NextRandom(NoiseLevels);
            const double increment = (n - NoiseLevels / 2) * step / (NoiseLevels / 2);
            CheckStored(increment);
            state.SecondFilterBuffer[j] = increment;
            trialTap[j] = state.FilterBuffer[j] + increment;
        }
        if (ns >= 0 && nf >= 0)
            CorrelateParallel(state.pool(), state.SignalBuffer.centre(), trialTap, nf, trial, -ns, ns);
        else
            for (int i = -ns; i <= ns; ++i)
                trial[i] = 0.0;
        for (int i = -ns; i <= ns; ++i)
            CheckStored(trial[i]);

        const long double objective = SearchObjective(state, trial, ns);
        if (std::isnan(objective))
            throw FloatingPointError(FloatingPointFault::InvalidOperation);
        if (objective < outcome.BestObjective) {
            outcome.BestObjective = objective;
            state.SearchTrace.push_back({outcome.Epoch, objective});
            for (int j = -nf; j <= nf; ++j) {
                const double tap = state.FilterBuffer[j] + state.SecondFilterBuffer[j];
                CheckStored(tap);
                state.FilterBuffer[j] = tap;
            }
        }
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

std::string FormatObjective(long double value, char decimalSeparator) {
    // Up to 14 decimals, trailing zeros dropped down to 6.
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%.14Lf", value);
    std::string text = buffer;
    const auto point = text.find('.');
    if (point == std::string::npos)
        return text;
    std::size_t end = text.size();
    while (end > point + 7 && text[end - 1] == '0')
        --end;
    text.resize(end);
    text[point] = decimalSeparator;
    return text;
}

} // namespace pulsefir
